#pragma once
// The Kelvo product, made in process: as a plain plug-in object, or as an Audio Unit instance
// that a host reaches only through the platform's Audio Unit calls.

#include <AudioToolbox/AudioToolbox.h>

#include <memory>

#include "Kelvo/Kelvo.h"

// A Kelvo object as the host's initialisation leaves it, at 44.1 kHz.
std::unique_ptr<Kelvo> MakeKelvo();

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

// Aborts (a finding) when cond is false, naming what failed.
void Require(bool cond, const char* what);
