// Allocators, retain counting and the polymorphic object functions.
#include "CFRuntime.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

struct __CFNull : __CFObject
{
  __CFNull() : __CFObject(true) {}
  CFTypeID typeID() const override { return cf::kNull; }
  std::string describe() const override { return "<null>"; }
};

namespace {

void* mallocAllocate(CFIndex size, CFOptionFlags, void*) { return malloc((size_t)size); }
void* mallocReallocate(void* p, CFIndex size, CFOptionFlags, void*) { return realloc(p, (size_t)size); }
void mallocDeallocate(void* p, void*) { free(p); }
void* nullAllocate(CFIndex, CFOptionFlags, void*) { return nullptr; }
void* nullReallocate(void*, CFIndex, CFOptionFlags, void*) { return nullptr; }
void nullDeallocate(void*, void*) {}

__CFAllocator gMalloc({0, nullptr, nullptr, nullptr, nullptr, mallocAllocate, mallocReallocate, mallocDeallocate,
                       nullptr},
                      true);
__CFAllocator gNull({0, nullptr, nullptr, nullptr, nullptr, nullAllocate, nullReallocate, nullDeallocate, nullptr},
                    true);
// Marks "use the context's own allocator" in CFAllocatorCreate; never allocates.
__CFAllocator gUseContext({0, nullptr, nullptr, nullptr, nullptr, nullAllocate, nullReallocate, nullDeallocate,
                           nullptr},
                          true);

std::atomic<CFAllocatorRef> gDefault{&gMalloc};

__CFNull gNullObject;

// Runs the object's destructor and gives its memory back to its allocator.
void destroy(__CFObject* o)
{
  CFAllocatorRef a = o->allocator;
  o->~__CFObject();
  CFAllocatorDeallocate(a, o);
  CFRelease(a);
}

}  // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gMalloc;
const CFAllocatorRef kCFAllocatorMalloc = &gMalloc;
const CFAllocatorRef kCFAllocatorNull = &gNull;
const CFAllocatorRef kCFAllocatorUseContext = &gUseContext;
const CFNullRef kCFNull = &gNullObject;

__CFAllocator::~__CFAllocator()
{
  if (ctx.release && ctx.info) ctx.release(ctx.info);
}

std::string __CFObject::describe() const
{
  char buf[64];
  snprintf(buf, sizeof buf, "<%p>", (const void*)this);
  return buf;
}

namespace cf {

CFAllocatorRef resolve(CFAllocatorRef a) { return a ? a : gDefault.load(); }

std::string describe(CFTypeRef cf) { return cf ? obj(cf)->describe() : std::string("(null)"); }

std::string indent(const std::string& s)
{
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '\n') out += "    ";
  }
  return out;
}

}  // namespace cf

extern "C" {

CFTypeID CFAllocatorGetTypeID(void) { return cf::kAllocator; }
CFTypeID CFNullGetTypeID(void) { return cf::kNull; }

CFAllocatorRef CFAllocatorGetDefault(void) { return gDefault.load(); }

void CFAllocatorSetDefault(CFAllocatorRef allocator)
{
  if (!cf::is(allocator, cf::kAllocator) || allocator == &gUseContext) return;
  CFRetain(allocator);  // the default stays alive for the rest of the process
  gDefault.store(allocator);
}

CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context)
{
  if (!context || !context->allocate) return nullptr;
  CFAllocatorContext c = *context;
  if (c.retain && c.info) c.info = (void*)c.retain(c.info);
  __CFAllocator* a;
  if (allocator == kCFAllocatorUseContext) {
    void* mem = c.allocate((CFIndex)sizeof(__CFAllocator), 0, c.info);
    if (!mem) {
      if (c.release && c.info) c.release(c.info);
      return nullptr;
    }
    a = new (mem) __CFAllocator(c, false);
    a->allocator = a;  // frees itself through its own context
  } else {
    a = cf::create<__CFAllocator>(allocator, c, false);
    if (!a && c.release && c.info) c.release(c.info);
  }
  return a;
}

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint)
{
  CFAllocatorRef a = cf::resolve(allocator);
  if (size <= 0 || !cf::is(a, cf::kAllocator)) return nullptr;
  return a->ctx.allocate(size, hint, a->ctx.info);
}

void* CFAllocatorReallocate(CFAllocatorRef allocator, void* ptr, CFIndex newsize, CFOptionFlags hint)
{
  CFAllocatorRef a = cf::resolve(allocator);
  if (!cf::is(a, cf::kAllocator) || newsize < 0) return nullptr;
  if (!ptr) return CFAllocatorAllocate(a, newsize, hint);
  if (newsize == 0) {
    CFAllocatorDeallocate(a, ptr);
    return nullptr;
  }
  return a->ctx.reallocate ? a->ctx.reallocate(ptr, newsize, hint, a->ctx.info) : nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr)
{
  CFAllocatorRef a = cf::resolve(allocator);
  if (ptr && cf::is(a, cf::kAllocator) && a->ctx.deallocate) a->ctx.deallocate(ptr, a->ctx.info);
}

CFIndex CFAllocatorGetPreferredSizeForSize(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint)
{
  CFAllocatorRef a = cf::resolve(allocator);
  if (cf::is(a, cf::kAllocator) && a->ctx.preferredSize) return a->ctx.preferredSize(size, hint, a->ctx.info);
  return size;
}

void CFAllocatorGetContext(CFAllocatorRef allocator, CFAllocatorContext* context)
{
  CFAllocatorRef a = cf::resolve(allocator);
  if (context && cf::is(a, cf::kAllocator)) *context = a->ctx;
}

CFTypeRef CFRetain(CFTypeRef cf)
{
  if (!cf) return nullptr;
  __CFObject* o = cf::obj(cf);
  if (!o->immortal) o->rc.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf)
{
  if (!cf) return;
  __CFObject* o = cf::obj(cf);
  if (o->immortal) return;
  if (o->rc.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    if (o->allocator == o) {  // an allocator that lives in its own memory
      __CFAllocator* a = (__CFAllocator*)o;
      CFAllocatorContext c = a->ctx;
      a->ctx.release = nullptr;
      a->~__CFAllocator();
      c.deallocate(a, c.info);
      if (c.release && c.info) c.release(c.info);
      return;
    }
    destroy(o);
  }
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
  if (!cf) return 0;
  __CFObject* o = cf::obj(cf);
  return o->immortal ? (CFIndex)0x7fffffffffffffffL : o->rc.load();
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf ? cf::obj(cf)->typeID() : 0; }

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2)
{
  if (cf1 == cf2) return true;
  if (!cf1 || !cf2) return false;
  if (cf::obj(cf1)->typeID() != cf::obj(cf2)->typeID()) return false;
  return cf::obj(cf1)->equals(cf::obj(cf2));
}

CFHashCode CFHash(CFTypeRef cf) { return cf ? cf::obj(cf)->hash() : 0; }

CFStringRef CFCopyDescription(CFTypeRef cf)
{
  if (!cf) return nullptr;
  return cf::makeString(nullptr, cf::obj(cf)->describe());
}

CFStringRef CFCopyTypeIDDescription(CFTypeID type_id)
{
  static const char* const names[] = {"",         "CFAllocator", "CFNull",    "CFBoolean",      "CFNumber",
                                      "CFString", "CFData",      "CFArray",   "CFDictionary",   "CFURL",
                                      "CFBundle", "CFError",     "CFRunLoop", "CFRunLoopTimer", "CFDate"};
  if (type_id == 0 || type_id >= sizeof names / sizeof names[0]) return nullptr;
  return cf::makeString(nullptr, names[type_id]);
}

CFAllocatorRef CFGetAllocator(CFTypeRef cf) { return cf ? cf::obj(cf)->allocator : nullptr; }

void CFShow(CFTypeRef obj) { fprintf(stderr, "%s\n", cf::describe(obj).c_str()); }

}  // extern "C"
