/* Old-style view components: opened through a component entry, asked to create their
   view inside a host window. */
#ifndef AUDIOUNITCARBONVIEW_H_
#define AUDIOUNITCARBONVIEW_H_
#pragma GCC system_header

#include <AudioUnit/AudioUnitProperties.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

typedef struct Float32Point
{
  Float32 x;
  Float32 y;
} Float32Point;

typedef ComponentInstance AudioUnitCarbonView;

enum {
  kAudioUnitCarbonViewRange = 0x0300,
  kAudioUnitCarbonViewCreateSelect = 0x0301,
  kAudioUnitCarbonViewSetEventListenerSelect = 0x0302
};

/* Asks the view component to create its view for inAudioUnit in the window; arguments in
   the entry block in this order: unit, window, parent control, location, size, out control. */
AU_EXPORT OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                             ControlRef inParentControl, const Float32Point* inLocation,
                                             const Float32Point* inSize, ControlRef* outControl);

#ifdef __cplusplus
}
#endif

#endif
