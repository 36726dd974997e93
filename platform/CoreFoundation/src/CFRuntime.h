// Object runtime shared by the Core Foundation sources: the common object head, type IDs,
// creation and destruction through allocators, and UTF conversions.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <new>
#include <string>
#include <utility>

namespace cf {

enum TypeID : CFTypeID {
  kAllocator = 1,
  kNull,
  kBoolean,
  kNumber,
  kString,
  kData,
  kArray,
  kDictionary,
  kURL,
  kBundle,
  kError,
  kRunLoop,
  kRunLoopTimer,
  kDate,
};

}  // namespace cf

// Head of every object. Objects live in memory from their allocator; immortal objects
// (constants) ignore retain and release. Other platform libraries derive their own object
// types from this head (with type IDs of 0x100 and above; those below belong to this library),
// so its layout and virtual functions are shared with them.
struct __CFObject
{
  explicit __CFObject(bool immortalObject = false) : immortal(immortalObject) {}
  virtual ~__CFObject() = default;
  virtual CFTypeID typeID() const = 0;
  // Content equality with another object of the same type.
  virtual bool equals(const __CFObject* other) const { return this == other; }
  // Equal objects hash alike.
  virtual CFHashCode hash() const { return (CFHashCode)this; }
  // UTF-8 text used by CFCopyDescription and %@.
  virtual std::string describe() const;

  std::atomic<CFIndex> rc{1};
  CFAllocatorRef allocator = nullptr;
  bool immortal;
};

struct __CFAllocator : __CFObject
{
  explicit __CFAllocator(const CFAllocatorContext& c, bool immortalObject) : __CFObject(immortalObject), ctx(c) {}
  ~__CFAllocator() override;
  CFTypeID typeID() const override { return cf::kAllocator; }
  std::string describe() const override { return "<CFAllocator>"; }
  CFAllocatorContext ctx;
};

namespace cf {

// The allocator a creation call means: the default for NULL.
CFAllocatorRef resolve(CFAllocatorRef a);

// Builds a T in memory from the allocator; NULL when memory cannot be had.
template <class T, class... A>
T* create(CFAllocatorRef a, A&&... args)
{
  CFAllocatorRef real = resolve(a);
  void* mem = CFAllocatorAllocate(real, (CFIndex)sizeof(T), 0);
  if (!mem) return nullptr;
  T* obj = new (mem) T(std::forward<A>(args)...);
  obj->allocator = (CFAllocatorRef)CFRetain(real);
  return obj;
}

inline __CFObject* obj(CFTypeRef cf) { return (__CFObject*)cf; }

// Whether cf is a live object of the type (NULL gives false).
inline bool is(CFTypeRef cf, CFTypeID type) { return cf && obj(cf)->typeID() == type; }

// The UTF-8 text of a string (empty for NULL or a non-string).
std::string utf8(CFStringRef s);
// A new string from UTF-8 text (NULL for malformed text).
CFStringRef makeString(CFAllocatorRef a, const std::string& s);

// Description text of any object ("(null)" for NULL).
std::string describe(CFTypeRef cf);
// Indents every line after the first by four spaces, for nested descriptions.
std::string indent(const std::string& s);

}  // namespace cf
