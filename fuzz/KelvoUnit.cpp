#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstring>

#include "base/fourcc.h"

extern "C" void* Kelvo_Factory(const AudioComponentDescription*);

namespace
{
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
  AudioStreamBasicDescription f;
  memset(&f, 0, sizeof(f));
  f.mSampleRate = 44100.0;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = f.mBytesPerFrame = 4;
  f.mFramesPerPacket = 1;
  f.mChannelsPerFrame = 2;
  f.mBitsPerChannel = 32;
  UInt32 frames = 512;
  Require(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, sizeof(f)) == noErr &&
              AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &f, sizeof(f)) == noErr &&
              AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                   sizeof(frames)) == noErr &&
              AudioUnitInitialize(mUnit) == noErr,
          "the instance takes stereo formats and initializes");
}

KelvoInstance::~KelvoInstance()
{
  if (mUnit) AudioComponentInstanceDispose(mUnit);
}
