/* The whole audio unit interface. */
#ifndef AUDIOUNIT_H_
#define AUDIOUNIT_H_
#pragma GCC system_header

#include <CoreServices/CoreServices.h>
#include <AudioUnit/AudioComponent.h>
#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioUnit/AudioUnitCarbonView.h>

#endif
