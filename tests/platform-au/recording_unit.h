// An in-process unit that records each call it receives, with its arguments, as text.
#pragma once

#include <AudioToolbox/AudioToolbox.h>

#include <string>

namespace rec {

// The last call received by any recording unit, e.g. "SetParameter 3 0 1 0.5 7".
extern std::string gLastCall;

// The recording unit registered with a factory (AudioComponentRegister), and the same unit
// registered with an entry routine (RegisterComponent); each registered once per process.
AudioComponent factoryComponent();
Component entryComponent();

// How many property listeners the instance holds.
int listenerCount(AudioUnit unit);

}  // namespace rec
