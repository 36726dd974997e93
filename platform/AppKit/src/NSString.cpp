#include <Foundation/NSString.h>

#include "base/utf8.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

void NSString::assign(const std::string& utf8)
{
  m_utf8 = utf8;
  UTF8ToUTF16(utf8.data(), utf8.size(), kUTF8Replace, m_utf16);  // ill-formed bytes read as U+FFFD
}

NSString* NSString::initWithUTF8String(const char* s)
{
  if (!s) {
    release();
    return nullptr;
  }
  assign(s);
  return this;
}

NSString* NSString::stringWithUTF8String(const char* s)
{
  NSString* r = alloc()->initWithUTF8String(s);
  return ns_autorelease(r);
}

NSString* NSString::stringWithCString(const char* s, NSStringEncoding enc)
{
  if (s && enc == NSASCIIStringEncoding) {
    for (const char* p = s; *p; ++p)
      if ((unsigned char)*p >= 0x80) return nullptr;
  }
  return stringWithUTF8String(s);
}

NSString* NSString::stringWithString(NSString* s) { return stringWithUTF8String(s ? s->UTF8String() : ""); }

int NSString::intValue() const
{
  errno = 0;
  long v = std::strtol(m_utf8.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return (int)v;
}

double NSString::doubleValue() const { return std::strtod(m_utf8.c_str(), nullptr); }

NSString* NSString::lastPathComponent() const
{
  std::string s = m_utf8;
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  size_t slash = s.rfind('/');
  if (slash != std::string::npos && s.size() > 1) s = s.substr(slash + 1);
  return stringWithUTF8String(s.c_str());
}

NSString* NSString::pathExtension() const
{
  NSString* last = lastPathComponent();
  size_t dot = last->m_utf8.rfind('.');
  return stringWithUTF8String(dot == std::string::npos ? "" : last->m_utf8.c_str() + dot + 1);
}

NSString* NSString::stringByDeletingPathExtension() const
{
  size_t slash = m_utf8.rfind('/');
  size_t dot = m_utf8.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0 ||
      (slash != std::string::npos && dot == slash + 1))
    return stringWithUTF8String(m_utf8.c_str());
  return stringWithUTF8String(m_utf8.substr(0, dot).c_str());
}

NSString* NSString::stringByDeletingLastPathComponent() const
{
  std::string s = m_utf8;
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  size_t slash = s.rfind('/');
  if (slash == std::string::npos) return stringWithUTF8String("");
  if (slash == 0) return stringWithUTF8String("/");
  return stringWithUTF8String(s.substr(0, slash).c_str());
}

NSString* NSString::stringByAppendingPathComponent(NSString* c) const
{
  std::string s = m_utf8;
  if (!s.empty() && s.back() != '/') s += '/';
  if (c) s += c->m_utf8;
  return stringWithUTF8String(s.c_str());
}

NSString* NSString::stringByAppendingString(NSString* other) const
{
  return stringWithUTF8String((m_utf8 + (other ? other->m_utf8 : std::string())).c_str());
}

NSArray* NSString::componentsSeparatedByString(NSString* sep) const
{
  NSMutableArray* out = NSMutableArray::array();
  if (!sep || sep->m_utf8.empty()) {
    out->addObject(stringWithUTF8String(m_utf8.c_str()));
    return out;
  }
  size_t start = 0;
  for (;;) {
    size_t at = m_utf8.find(sep->m_utf8, start);
    out->addObject(
        stringWithUTF8String(m_utf8.substr(start, at == std::string::npos ? std::string::npos : at - start).c_str()));
    if (at == std::string::npos) break;
    start = at + sep->m_utf8.size();
  }
  return out;
}

NSRange NSString::rangeOfString(NSString* s) const
{
  if (!s || s->m_utf16.empty()) return NSMakeRange((NSUInteger)NSNotFound, 0);
  size_t at = m_utf16.find(s->m_utf16);
  if (at == std::u16string::npos) return NSMakeRange((NSUInteger)NSNotFound, 0);
  return NSMakeRange(at, s->m_utf16.size());
}

NSArray::~NSArray()
{
  for (id o : m_items) o->release();
}

NSArray* NSArray::array() { return ns_autorelease(alloc()); }

NSArray* NSArray::arrayWithObjects(const std::vector<id>& objects)
{
  NSArray* a = alloc();
  for (id o : objects)
    if (o) a->m_items.push_back(o->retain());
  return ns_autorelease(a);
}

NSUInteger NSArray::indexOfObject(id o) const
{
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i] == o) return i;
  return (NSUInteger)NSNotFound;
}

NSMutableArray* NSMutableArray::array() { return ns_autorelease(alloc()); }

void NSMutableArray::addObject(id o)
{
  if (o) m_items.push_back(o->retain());
}

void NSMutableArray::removeObjectAtIndex(NSUInteger i)
{
  if (i >= m_items.size()) return;
  id o = m_items[i];
  m_items.erase(m_items.begin() + (long)i);
  o->release();
}

void NSMutableArray::removeObject(id o)
{
  for (size_t i = m_items.size(); i-- > 0;)
    if (m_items[i] == o) removeObjectAtIndex(i);
}

void NSMutableArray::removeAllObjects()
{
  std::vector<id> items;
  items.swap(m_items);
  for (id o : items) o->release();
}

NSCharacterSet* NSCharacterSet::characterSetWithCharactersInString(NSString* s)
{
  NSMutableCharacterSet* set = NSMutableCharacterSet::alloc()->init();
  set->addCharactersInString(s);
  return ns_autorelease(set);
}

BOOL NSCharacterSet::characterIsMember(unichar c) const { return m_chars.find((char16_t)c) != std::u16string::npos; }

void NSMutableCharacterSet::addCharactersInString(NSString* s)
{
  if (!s) return;
  for (NSUInteger i = 0; i < s->length(); ++i)
    if (!characterIsMember(s->characterAtIndex(i))) m_chars.push_back((char16_t)s->characterAtIndex(i));
}

NSNotification* NSNotification::notificationWithName(NSString* name, id object)
{
  NSNotification* n = new NSNotification();
  n->m_name = ns_retain(name);
  n->m_object = object ? object->retain() : nullptr;
  return ns_autorelease(n);
}

NSNotification::~NSNotification()
{
  if (m_name) m_name->release();
  if (m_object) m_object->release();
}
