/* Audio unit events: parameter changes, gestures and property changes delivered to listeners. */
#ifndef AUDIOUNITUTILITIES_H_
#define AUDIOUNITUTILITIES_H_
#pragma GCC system_header

#include <AudioUnit/AudioUnit.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioUnitEventType;
enum {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3
};

/* A parameter ID that matches every parameter of the unit. */
enum { kAUParameterListener_AnyParameter = 0xFFFFFFFF };

typedef struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
} AudioUnitEvent;

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

/* inObject is the object given with the event type; inParameterValue is the parameter's
   value (read from the unit) for value changes, 0 otherwise. */
typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);
typedef void (*AUParameterListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitParameter* inParameter,
                                        AudioUnitParameterValue inValue);

/* A new listener. With a NULL run loop events are delivered on the notifying thread at once;
   otherwise they are queued to the run loop (mode NULL: the default mode) and delivered when it runs.
   The interval and granularity are accepted and not used. */
AU_EXPORT OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                                         CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                                         Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
/* A new listener for parameter value changes only, as AUEventListenerCreate. */
AU_EXPORT OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                                    CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                                    AUParameterListenerRef* outListener);
/* Frees the listener: no event is delivered to it after this returns (queued ones are dropped). */
AU_EXPORT OSStatus AUListenerDispose(AUParameterListenerRef inListener);
/* Asks for events like inEvent (same type, unit, ID, scope, element; the parameter ID may be
   kAUParameterListener_AnyParameter). Property events are watched through a property listener
   on the unit. inObject is passed back with each delivery. */
AU_EXPORT OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                               const AudioUnitEvent* inEvent);
AU_EXPORT OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                                  const AudioUnitEvent* inEvent);
AU_EXPORT OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                          const AudioUnitParameter* inParameter);
AU_EXPORT OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                             const AudioUnitParameter* inParameter);
/* Delivers the event to every matching listener except inSendingListener, and except
   registrations made with inSendingObject (when it is not NULL). */
AU_EXPORT OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                                         const AudioUnitEvent* inEvent);
/* Notifies a parameter value change, as AUEventListenerNotify. */
AU_EXPORT OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                             const AudioUnitParameter* inParameter);
/* Sets the parameter on its unit, then notifies the change. */
AU_EXPORT OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                  const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                                  UInt32 inBufferOffsetInFrames);

#ifdef __cplusplus
}
#endif

#endif
