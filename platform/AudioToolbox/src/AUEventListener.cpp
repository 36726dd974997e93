// Audio unit events: listeners, their registrations, and delivery on the notifying thread
// or through a run loop.
#include "ComponentRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

struct AUListenerBase
{
  UInt64 id = 0;
  AUEventListenerProc proc = nullptr;
  AUParameterListenerProc parameterProc = nullptr;  // listeners made by AUListenerCreate
  void* user = nullptr;
  CFRunLoopRef runLoop = nullptr;
  CFStringRef mode = nullptr;
  struct Registration
  {
    void* object;
    AudioUnitEvent event;
    struct PropertyWatch* watch;  // property events: the unit's listener hook
  };
  std::vector<Registration> regs;
};

// The refCon of the property listener installed on a unit for one property registration.
struct PropertyWatch
{
  UInt64 listener;
  void* object;
  AudioUnitEvent event;
};

namespace {

struct Listeners
{
  std::recursive_mutex lock;
  std::vector<AUListenerBase*> all;
  UInt64 nextId = 1;
};

Listeners& listeners()
{
  static Listeners* l = new Listeners;
  return *l;
}

struct Delivery
{
  UInt64 listener;
  void* object;
  AudioUnitEvent event;
  AudioUnitParameterValue value;
};

AUListenerBase* byId(UInt64 id)
{
  for (AUListenerBase* l : listeners().all)
    if (l->id == id) return l;
  return nullptr;
}

bool sameTarget(const AudioUnitEvent& want, const AudioUnitEvent& got)
{
  if (want.mEventType != got.mEventType) return false;
  if (want.mEventType == kAudioUnitEvent_PropertyChange) {
    const AudioUnitProperty &a = want.mArgument.mProperty, &b = got.mArgument.mProperty;
    return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID && a.mScope == b.mScope &&
           a.mElement == b.mElement;
  }
  const AudioUnitParameter &a = want.mArgument.mParameter, &b = got.mArgument.mParameter;
  return a.mAudioUnit == b.mAudioUnit &&
         (a.mParameterID == kAUParameterListener_AnyParameter || a.mParameterID == b.mParameterID) &&
         a.mScope == b.mScope && a.mElement == b.mElement;
}

// Whether two registrations are the same one (for removal): identical target and object.
bool sameRegistration(const AUListenerBase::Registration& r, void* object, const AudioUnitEvent& e)
{
  if (r.object != object || r.event.mEventType != e.mEventType) return false;
  if (e.mEventType == kAudioUnitEvent_PropertyChange) return sameTarget(r.event, e);
  const AudioUnitParameter &a = r.event.mArgument.mParameter, &b = e.mArgument.mParameter;
  return a.mAudioUnit == b.mAudioUnit && a.mParameterID == b.mParameterID && a.mScope == b.mScope &&
         a.mElement == b.mElement;
}

// Calls the listener's function, if the listener still exists.
void deliverNow(const Delivery& d)
{
  AUEventListenerProc proc;
  AUParameterListenerProc parameterProc;
  void* user;
  {
    std::lock_guard<std::recursive_mutex> hold(listeners().lock);
    AUListenerBase* l = byId(d.listener);
    if (!l) return;
    proc = l->proc, parameterProc = l->parameterProc, user = l->user;
  }
  if (parameterProc) {
    if (d.event.mEventType == kAudioUnitEvent_ParameterValueChange)
      parameterProc(user, d.object, &d.event.mArgument.mParameter, d.value);
  } else if (proc) {
    proc(user, d.object, &d.event, 0, d.value);
  }
}

void deliverQueued(void* info)
{
  Delivery* d = (Delivery*)info;
  deliverNow(*d);
  delete d;
}

// Hands each delivery to its listener: at once, or queued on the listener's run loop.
void deliver(const std::vector<Delivery>& list)
{
  for (const Delivery& d : list) {
    CFRunLoopRef rl = nullptr;
    CFStringRef mode = nullptr;
    {
      std::lock_guard<std::recursive_mutex> hold(listeners().lock);
      AUListenerBase* l = byId(d.listener);
      if (!l) continue;
      rl = l->runLoop, mode = l->mode;
    }
    if (rl)
      CFRunLoopPerformFunction(rl, mode, deliverQueued, new Delivery(d));
    else
      deliverNow(d);
  }
}

// The unit's property listener for property registrations: passes matching changes on.
void propertyChanged(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                     AudioUnitElement element)
{
  PropertyWatch* w = (PropertyWatch*)refCon;
  AudioUnitEvent e{};
  e.mEventType = kAudioUnitEvent_PropertyChange;
  e.mArgument.mProperty = {unit, id, scope, element};
  if (!sameTarget(w->event, e)) return;
  deliver({{w->listener, w->object, e, 0}});
}

void unwatch(PropertyWatch* w)
{
  const AudioUnitProperty& p = w->event.mArgument.mProperty;
  if (at::isOpen(p.mAudioUnit))
    AudioUnitRemovePropertyListenerWithUserData(p.mAudioUnit, p.mPropertyID, propertyChanged, w);
  delete w;
}

OSStatus create(AUEventListenerProc proc, AUParameterListenerProc parameterProc, void* user, CFRunLoopRef rl,
                CFStringRef mode, AUEventListenerRef* out)
{
  if (!out || (!proc && !parameterProc)) return paramErr;
  AUListenerBase* l = new AUListenerBase;
  l->proc = proc;
  l->parameterProc = parameterProc;
  l->user = user;
  l->runLoop = rl;
  l->mode = mode ? (CFStringRef)CFRetain(mode) : nullptr;
  std::lock_guard<std::recursive_mutex> hold(listeners().lock);
  l->id = listeners().nextId++;
  listeners().all.push_back(l);
  *out = l;
  return noErr;
}

bool known(AUListenerBase* l)
{
  for (AUListenerBase* x : listeners().all)
    if (x == l) return true;
  return false;
}

AudioUnitEvent parameterEvent(const AudioUnitParameter* p)
{
  AudioUnitEvent e{};
  e.mEventType = kAudioUnitEvent_ParameterValueChange;
  e.mArgument.mParameter = *p;
  return e;
}

}  // namespace

extern "C" {

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32, Float32, AUEventListenerRef* outListener)
{
  return create(inProc, nullptr, inUserData, inRunLoop, inRunLoopMode, outListener);
}

OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                          CFStringRef inRunLoopMode, Float32, AUParameterListenerRef* outListener)
{
  return create(nullptr, inProc, inUserData, inRunLoop, inRunLoopMode, outListener);
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
  std::vector<PropertyWatch*> watches;
  {
    std::lock_guard<std::recursive_mutex> hold(listeners().lock);
    auto& all = listeners().all;
    auto it = std::find(all.begin(), all.end(), inListener);
    if (it == all.end()) return paramErr;
    all.erase(it);
    for (auto& r : inListener->regs)
      if (r.watch) watches.push_back(r.watch);
  }
  for (PropertyWatch* w : watches) unwatch(w);
  CFRelease(inListener->mode);
  delete inListener;
  return noErr;
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  PropertyWatch* watch = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(listeners().lock);
    if (!known(inListener)) return paramErr;
    if (inEvent->mEventType == kAudioUnitEvent_PropertyChange)
      watch = new PropertyWatch{inListener->id, inObject, *inEvent};
  }
  if (watch) {
    const AudioUnitProperty& p = inEvent->mArgument.mProperty;
    OSStatus r = AudioUnitAddPropertyListener(p.mAudioUnit, p.mPropertyID, propertyChanged, watch);
    if (r != noErr) {
      delete watch;
      return r;
    }
  }
  std::lock_guard<std::recursive_mutex> hold(listeners().lock);
  if (!known(inListener)) {  // disposed meanwhile
    if (watch) unwatch(watch);
    return paramErr;
  }
  inListener->regs.push_back({inObject, *inEvent, watch});
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent) return paramErr;
  PropertyWatch* watch = nullptr;
  {
    std::lock_guard<std::recursive_mutex> hold(listeners().lock);
    if (!known(inListener)) return paramErr;
    auto& regs = inListener->regs;
    auto it = std::find_if(regs.begin(), regs.end(), [&](const AUListenerBase::Registration& r) {
      return sameRegistration(r, inObject, *inEvent);
    });
    if (it == regs.end()) return paramErr;
    watch = it->watch;
    regs.erase(it);
  }
  if (watch) unwatch(watch);
  return noErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter)
{
  if (!inParameter) return paramErr;
  AudioUnitEvent e = parameterEvent(inParameter);
  return AUEventListenerAddEventType(inListener, inObject, &e);
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter)
{
  if (!inParameter) return paramErr;
  AudioUnitEvent e = parameterEvent(inParameter);
  return AUEventListenerRemoveEventType(inListener, inObject, &e);
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent)
{
  if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  std::vector<Delivery> list;
  {
    std::lock_guard<std::recursive_mutex> hold(listeners().lock);
    for (AUListenerBase* l : listeners().all) {
      if (l == inSendingListener) continue;
      for (const auto& r : l->regs)
        if ((!inSendingObject || r.object != inSendingObject) && sameTarget(r.event, *inEvent))
          list.push_back({l->id, r.object, *inEvent, 0});
    }
  }
  if (list.empty()) return noErr;
  if (inEvent->mEventType == kAudioUnitEvent_ParameterValueChange) {
    const AudioUnitParameter& p = inEvent->mArgument.mParameter;
    AudioUnitParameterValue v = 0;
    if (at::isOpen(p.mAudioUnit) &&
        AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &v) == noErr)
      for (Delivery& d : list) d.value = v;
  }
  deliver(list);
  return noErr;
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter)
{
  if (!inParameter) return paramErr;
  AudioUnitEvent e = parameterEvent(inParameter);
  return AUEventListenerNotify(inSendingListener, inSendingObject, &e);
}

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames)
{
  if (!inParameter) return paramErr;
  OSStatus r = AudioUnitSetParameter(inParameter->mAudioUnit, inParameter->mParameterID, inParameter->mScope,
                                     inParameter->mElement, inValue, inBufferOffsetInFrames);
  if (r != noErr) return r;
  return AUParameterListenerNotify(inSendingListener, inSendingObject, inParameter);
}

}  // extern "C"
