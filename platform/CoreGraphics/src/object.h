#pragma once
// The reference-counted base of every Core Graphics and Core Text object.

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>

namespace cgi {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  // The object's type, as CFGetTypeID reports it.
  virtual CFTypeID TypeID() const = 0;

  void Retain() { refs_.fetch_add(1, std::memory_order_relaxed); }
  // Destroys the object with its last reference.
  void Release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

 private:
  std::atomic<long> refs_{1};
};

// A type ID of its own for a class of this library, named for descriptions.
CFTypeID NewTypeID(const char* className);

// Retain / release through nullable pointers of any object type.
template <class T>
T* Retain(T* o) {
  if (o) const_cast<Object*>(static_cast<const Object*>(o))->Retain();
  return o;
}
template <class T>
void Release(T* o) {
  if (o) const_cast<Object*>(static_cast<const Object*>(o))->Release();
}

}  // namespace cgi
