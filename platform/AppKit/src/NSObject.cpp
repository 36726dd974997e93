#include <Foundation/NSObject.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

SEL sel_registerName(const char* name)
{
  static std::mutex lock;
  static std::set<std::string>* names = new std::set<std::string>();
  std::lock_guard<std::mutex> hold(lock);
  return names->insert(name ? name : "").first->c_str();
}

NSObject::NSObject() = default;
NSObject::~NSObject() = default;

NSObject* NSObject::retain()
{
  ++m_refs;
  return this;
}

void NSObject::release()
{
  if (--m_refs == 0) delete this;
}

NSObject* NSObject::autorelease()
{
  NSAutoreleasePool::addObject(this);
  return this;
}

BOOL NSObject::respondsToSelector(SEL) const { return NO; }

id NSObject::performSelector(SEL, id) { return nullptr; }

void NSObject::performSelectorAfterDelay(SEL sel, id arg, NSTimeInterval delay)
{
  NSRunLoop::currentRunLoop()->addDelayedPerform(this, sel, arg, delay);
}

struct NSAutoreleasePool::Impl
{
  std::vector<NSObject*> objects;
};

namespace {
thread_local std::vector<NSAutoreleasePool*> tPools;

std::mutex& OrphanLock()
{
  static std::mutex m;
  return m;
}
std::vector<NSObject*>& Orphans()
{
  static std::vector<NSObject*>* v = new std::vector<NSObject*>();
  return *v;
}

std::map<std::string, objc_class>& ClassRecords()
{
  static std::map<std::string, objc_class> m;
  return m;
}
std::mutex& ClassLock()
{
  static std::mutex m;
  return m;
}
}  // namespace

NSAutoreleasePool::NSAutoreleasePool() : m_impl(new Impl) { tPools.push_back(this); }

NSAutoreleasePool::~NSAutoreleasePool() { delete m_impl; }

void NSAutoreleasePool::drain()
{
  // Objects released here may autorelease others into this same pool: loop until empty.
  while (!m_impl->objects.empty()) {
    std::vector<NSObject*> batch;
    batch.swap(m_impl->objects);
    for (NSObject* o : batch) o->release();
  }
  for (size_t i = tPools.size(); i-- > 0;) {
    if (tPools[i] == this) {
      tPools.erase(tPools.begin() + (long)i);
      break;
    }
  }
  release();
}

void NSAutoreleasePool::addObject(NSObject* o)
{
  if (!tPools.empty()) {
    tPools.back()->m_impl->objects.push_back(o);
    return;
  }
  std::lock_guard<std::mutex> hold(OrphanLock());
  Orphans().push_back(o);
}

void NSAutoreleasePool::drainOrphans()
{
  for (;;) {
    std::vector<NSObject*> batch;
    {
      std::lock_guard<std::mutex> hold(OrphanLock());
      batch.swap(Orphans());
    }
    if (batch.empty()) return;
    for (NSObject* o : batch) o->release();
  }
}

void NSRegisterClass(const char* name, NSObject* (*alloc)())
{
  if (!name || !alloc) return;
  std::lock_guard<std::mutex> hold(ClassLock());
  objc_class& rec = ClassRecords()[name];
  rec.alloc = alloc;
  rec.name = ClassRecords().find(name)->first.c_str();
}

Class NSClassFromName(const char* name)
{
  if (!name) return nullptr;
  std::lock_guard<std::mutex> hold(ClassLock());
  auto it = ClassRecords().find(name);
  return it == ClassRecords().end() ? nullptr : &it->second;
}

Class NSClassFromString(NSString* name) { return name ? NSClassFromName(name->UTF8String()) : nullptr; }
