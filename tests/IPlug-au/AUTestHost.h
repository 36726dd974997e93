// A small Audio Unit host for the wrapper's tests: the built Kelvo bundle, instances of it,
// property helpers, a render harness and an in-process generator unit to connect upstream.
#pragma once

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <vector>

#include "base/fourcc.h"
#include "support/FloatFormat.h"

extern const AudioComponentDescription kKelvoDesc;

// The Kelvo component, its bundle registered once per process from $KELVO_BUILD_DIR.
AudioComponent KelvoComponent();
std::string KelvoBundlePath();

// An instance made through the factory (or through the component entry), disposed with it.
class TestUnit
{
public:
  explicit TestUnit(bool throughEntry = false);
  ~TestUnit();
  TestUnit(const TestUnit&) = delete;
  TestUnit& operator=(const TestUnit&) = delete;
  AudioUnit Get() const { return mUnit; }
  operator AudioUnit() const { return mUnit; }

private:
  AudioUnit mUnit = nullptr;
  bool mThroughEntry;
};

OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, UInt32 channels, double sampleRate = 44100.0);
OSStatus SetMaxFrames(AudioUnit unit, UInt32 frames);

template <typename T>
OSStatus GetProp(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement elem, T& out)
{
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, scope, elem, &out, &size);
}

template <typename T>
OSStatus SetProp(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement elem, const T& in)
{
  return AudioUnitSetProperty(unit, id, scope, elem, &in, sizeof(T));
}

// UTF-8 text of a string (null gives "").
std::string Text(CFStringRef str);

// Feeds a unit's input through a render callback from a stereo source and collects its
// stereo output, one render per block.
class RenderHarness
{
public:
  RenderHarness(AudioUnit unit, int nChannels = 2);
  // Installs the render callback on input bus 0.
  OSStatus Connect();
  // Renders one block of n frames at the harness's running sample time; out gets the samples.
  OSStatus RenderBlock(UInt32 n, bool nullOutputPointers = false);

  std::vector<float> source[2];  // input samples, one vector per channel, read from mPos on
  std::vector<float> output[2];  // appended by every successful RenderBlock
  int callbacks = 0;             // number of times the unit asked for input
  double sampleTime = 0.0;
  UInt32 timestampFlags = kAudioTimeStampSampleTimeValid;
  AudioBufferList* lastList() { return (AudioBufferList*)&mList; }
  const float* lastScratch[2] = {nullptr, nullptr};

private:
  static OSStatus Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                       AudioBufferList* ioData);
  AudioUnit mUnit;
  int mChannels;
  size_t mPos = 0;
  size_t mFedFrom = 0;
  std::vector<float> mOut[2];
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
  } mList;
};

// Deterministic test signal: a mix of sines and a little noise, never silent.
std::vector<float> TestSignal(size_t n, int channel);

// An in-process generator unit ('augn' 'TGen' 'Test'): stereo, writes TestSignal into the
// buffers it is given (or into its own when they are null). With fastDispatch it answers
// the fast-dispatch property with its render function.
struct TestGenerator
{
  static AudioComponent Component(bool fastDispatch);
  static int renders;      // render calls, through either road
  static int fastRenders;  // of which through the fast-dispatch function
};
