#pragma once
// Foundation's object model in C++: reference counting, autorelease pools, selectors and classes.
// Objective-C selectors become methods of the same name (the first keyword); messages that
// are looked up by name at run time (timer, menu and delayed actions) go through
// performSelector with an interned SEL.

#include <cstddef>
#include <cstdint>

typedef signed char BOOL;
#ifndef YES
#define YES ((BOOL)1)
#define NO ((BOOL)0)
#endif
typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double NSTimeInterval;

#define NSNotFound ((NSInteger)0x7fffffffffffffffL)

typedef const char* SEL;

// The unique SEL for a selector name ("onTimer:"); equal names give equal pointers.
SEL sel_registerName(const char* name);
#define NSSelectorFromName(n) sel_registerName(n)

class NSString;
class NSObject;
typedef NSObject* id;

struct objc_class
{
  const char* name;
  NSObject* (*alloc)();
};
typedef const objc_class* Class;

class NSObject
{
public:
  NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  static NSObject* alloc() { return new NSObject(); }
  virtual NSObject* init() { return this; }

  // Adds one reference; returns this.
  NSObject* retain();
  // Drops one reference; the object is destroyed when none remain.
  void release();
  // Queues one release for when the innermost autorelease pool drains; returns this.
  NSObject* autorelease();
  NSUInteger retainCount() const { return m_refs; }

  // Whether performSelector handles `sel`.
  virtual BOOL respondsToSelector(SEL sel) const;
  // Sends a message looked up by name; returns null when not handled (see respondsToSelector).
  virtual id performSelector(SEL sel, id arg);
  // Sends the message on the main run loop after `delay` seconds (retaining this and arg until then).
  void performSelectorAfterDelay(SEL sel, id arg, NSTimeInterval delay);

  virtual const char* className() const { return "NSObject"; }

  // Informal delegate and owner protocols: defaults do nothing.
  virtual void controlTextDidEndEditing(class NSNotification* note) { (void)note; }
  // Tooltip owners: the text for a tooltip rectangle of `view` (view:stringForToolTip:point:userData:).
  virtual NSString* view(class NSView* view, NSInteger tag, struct CGPoint point, void* userData);

protected:
  virtual ~NSObject();

private:
  NSUInteger m_refs = 1;
};

// Casts an object to a subclass, or null when it is of another class.
template <class T>
T* ns_cast(NSObject* o)
{
  return dynamic_cast<T*>(o);
}

// Retains and returns a typed object.
template <class T>
T* ns_retain(T* o)
{
  if (o) o->retain();
  return o;
}
template <class T>
T* ns_autorelease(T* o)
{
  if (o) o->autorelease();
  return o;
}

class NSAutoreleasePool : public NSObject
{
public:
  // A pool that collects autoreleased objects of this thread until drained.
  NSAutoreleasePool();
  static NSAutoreleasePool* alloc() { return new NSAutoreleasePool(); }
  NSAutoreleasePool* init() override { return this; }
  // Releases every object collected, then the pool itself.
  void drain();
  const char* className() const override { return "NSAutoreleasePool"; }

  // Adds an object to the innermost pool of this thread (a process pool when none is open).
  static void addObject(NSObject* o);
  // Drains the process pool that catches objects autoreleased outside any pool.
  static void drainOrphans();

protected:
  ~NSAutoreleasePool() override;

private:
  struct Impl;
  Impl* m_impl;
};

// The class registered under `name`, or null.
Class NSClassFromString(NSString* name);
Class NSClassFromName(const char* name);
// Registers a class so hosts can make it by name; a later registration of the same name wins.
void NSRegisterClass(const char* name, NSObject* (*alloc)());

// Registers class C (which has a static alloc()) under its own name at load time.
#define NS_REGISTER_CLASS(C)                                         \
  namespace {                                                        \
  struct C##_registrar                                               \
  {                                                                  \
    C##_registrar()                                                  \
    {                                                                \
      NSRegisterClass(#C, []() -> NSObject* { return C::alloc(); }); \
    }                                                                \
  } C##_registrar_instance;                                          \
  }
