/* The audio toolbox: the whole audio unit interface plus audio unit events. */
#ifndef AUDIOTOOLBOX_H_
#define AUDIOTOOLBOX_H_
#pragma GCC system_header

#include <CoreFoundation/CoreFoundation.h>
#include <CoreAudio/CoreAudioTypes.h>
#include <AudioUnit/AudioUnit.h>
#include <AudioToolbox/AudioUnitUtilities.h>

#endif
