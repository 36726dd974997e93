#pragma once
// The Kelvo product as an Audio Unit instance made in process, which a host reaches only through
// the platform's Audio Unit calls.

#include <AudioToolbox/AudioToolbox.h>

#include "Require.h"

// An instance of the product's component, registered in process once; stereo float formats
// and 512 frames per slice set, initialized.
class KelvoInstance
{
public:
  KelvoInstance();
  ~KelvoInstance();
  KelvoInstance(const KelvoInstance&) = delete;
  KelvoInstance& operator=(const KelvoInstance&) = delete;
  AudioUnit Get() const { return mUnit; }

private:
  AudioUnit mUnit = nullptr;
};
