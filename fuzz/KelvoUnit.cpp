#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

#include "base/fourcc.h"
#include "tests/support/FloatFormat.h"

extern "C" void* Kelvo_Factory(const AudioComponentDescription*);

namespace {
AudioComponentPlugInInterface* Factory(const AudioComponentDescription* desc)
{
  return (AudioComponentPlugInInterface*)Kelvo_Factory(desc);
}

AudioComponent KelvoComponent()
{
  static AudioComponent comp = [] {
    AudioComponentDescription desc = {kAudioUnitType_Effect, FourCC("Kel1"), FourCC("Qlmh"), 0, 0};
    return AudioComponentRegister(&desc, CFSTR("Quillmarsh: Kelvo"), 0x10000, Factory);
  }();
  return comp;
}
}  // namespace

KelvoInstance::KelvoInstance()
{
  AudioComponent comp = KelvoComponent();
  Require(comp && AudioComponentInstanceNew(comp, &mUnit) == noErr, "the component makes an instance");
  Require(SetFloatIO(mUnit, 2, 44100.0, 512) == noErr && AudioUnitInitialize(mUnit) == noErr,
          "the instance takes stereo formats and initializes");
}

KelvoInstance::~KelvoInstance()
{
  if (mUnit) AudioComponentInstanceDispose(mUnit);
}
