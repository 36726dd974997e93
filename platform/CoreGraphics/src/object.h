#pragma once
// The base of every Core Graphics and Core Text object: the Core Foundation
// object head, so that CFRetain, CFRelease, CFGetTypeID, CFEqual, CFHash and
// CFCopyDescription work on these objects. Objects live in memory from the
// default allocator, which CFRelease gives them back to.

#include <CoreFoundation/CoreFoundation.h>

#include <new>
#include <utility>

#include "CFRuntime.h"

namespace cgi {

using Object = __CFObject;

// A new object (one reference) in memory from the default allocator; null
// when memory cannot be had.
template <class T, class... A>
T* New(A&&... args)
{
  CFAllocatorRef allocator = CFAllocatorGetDefault();
  void* mem = CFAllocatorAllocate(allocator, (CFIndex)sizeof(T), 0);
  if (!mem) return nullptr;
  T* obj = new (mem) T(std::forward<A>(args)...);
  obj->allocator = static_cast<CFAllocatorRef>(CFRetain(allocator));
  return obj;
}

// A type ID of its own for a class of this library, named for descriptions.
CFTypeID NewTypeID(const char* className);

// Retain / release through nullable pointers of any object type.
template <class T>
T* Retain(T* o)
{
  if (o) CFRetain(static_cast<const Object*>(o));
  return o;
}
template <class T>
void Release(T* o)
{
  if (o) CFRelease(static_cast<const Object*>(o));
}

}  // namespace cgi
