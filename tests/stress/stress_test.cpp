// A host that pushes the Kelvo bundle the way plug-in validators do: random parameter
// automation every 32 frames at every common sample rate and block sizes from 1 to 4096,
// present-preset changes and bypass toggles, the class info got and set from a second thread
// while the first renders, and the editor opened and closed while rendering. Nothing may crash,
// every rendered sample must be a normal number or zero, and a state set reads back byte for byte.
#include "AUTestHost.h"

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {
constexpr UInt32 kMaxBlock = 4096;
constexpr UInt32 kSubBlock = 32;
constexpr int kNumParams = 4;

// Seconds each part runs: short by default, longer by hand.
double PartSeconds(double byDefault)
{
  const char* s = getenv("KELVO_STRESS_SECONDS");
  const double v = s ? atof(s) : 0.0;
  return v > 0.0 ? v : byDefault;
}

class Deadline
{
public:
  explicit Deadline(double seconds)
      : mEnd(std::chrono::steady_clock::now() + std::chrono::microseconds((long long)(seconds * 1e6)))
  {
  }
  bool Passed() const { return std::chrono::steady_clock::now() >= mEnd; }

private:
  std::chrono::steady_clock::time_point mEnd;
};

// A stereo unit fed by a render callback from a signal that mixes loud noise, sines, clicks
// and long silences (where recursive filters decay toward subnormal numbers).
class StressHost
{
public:
  explicit StressHost(double sampleRate) : mRng(1234), mNoiseRng(4321), mSampleRate(sampleRate)
  {
    for (int c = 0; c < 2; ++c) {
      mOut[c].assign(kMaxBlock, 0.0f);
      mIn[c].assign(kMaxBlock, 0.0f);
    }
    EXPECT_EQ(Configure(sampleRate), noErr);
    AURenderCallbackStruct cb = {Feed, this};
    EXPECT_EQ(SetProp(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb), noErr);
    EXPECT_EQ(AudioUnitInitialize(unit), noErr);
  }

  // Formats and frames per slice for a new sample rate (the unit uninitialized meanwhile).
  OSStatus Configure(double sampleRate)
  {
    mSampleRate = sampleRate;
    AudioUnitUninitialize(unit);
    return SetFloatIO(unit, 2, sampleRate, kMaxBlock);
  }

  // Renders n frames; counts samples that are NaN, infinite or subnormal.
  OSStatus Render(UInt32 n)
  {
    FillInput(n);
    struct
    {
      UInt32 mNumberBuffers;
      AudioBuffer mBuffers[2];
    } list;
    list.mNumberBuffers = 2;
    for (int c = 0; c < 2; ++c) {
      list.mBuffers[c].mNumberChannels = 1;
      list.mBuffers[c].mDataByteSize = n * sizeof(float);
      list.mBuffers[c].mData = mOut[c].data();
    }
    AudioTimeStamp ts = {};
    ts.mSampleTime = mSampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus r = AudioUnitRender(unit, &flags, &ts, 0, n, (AudioBufferList*)&list);
    if (r != noErr) return r;
    for (int c = 0; c < 2; ++c) {
      const float* p = (const float*)list.mBuffers[c].mData;
      for (UInt32 i = 0; i < n; ++i) {
        const int k = std::fpclassify(p[i]);
        if (k != FP_NORMAL && k != FP_ZERO) ++badSamples;
      }
    }
    mSampleTime += n;
    rendered += n;
    return noErr;
  }

  // A random value for parameter idx inside its range, read from the unit.
  float RandomValue(int idx)
  {
    AudioUnitParameterInfo info;
    if (GetProp(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, idx, info) != noErr) return 0.0f;
    if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.cfNameString) CFRelease(info.cfNameString);
    if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.unit == kAudioUnitParameterUnit_CustomUnit &&
        info.unitName)
      CFRelease(info.unitName);
    std::uniform_real_distribution<float> d(info.minValue, info.maxValue);
    return d(mRng);
  }

  TestUnit unit;
  // Counted by the rendering thread; read after it has finished.
  long badSamples = 0;
  long long rendered = 0;
  // For the controlling thread's choices.
  std::mt19937 mRng;

private:
  void FillInput(UInt32 n)
  {
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (UInt32 i = 0; i < n; ++i, ++mPhase) {
      // 0.25 s of signal, then 0.25 s of silence.
      const bool loud = fmod(mPhase / mSampleRate, 0.5) < 0.25;
      const float click = (mPhase % 9973) == 0 ? 1.0f : 0.0f;
      for (int c = 0; c < 2; ++c)
        mIn[c][i] = loud ? 0.5f * noise(mNoiseRng) + 0.4f * (float)std::sin(mPhase * (0.01 + 0.003 * c)) + click : 0.0f;
    }
  }

  static OSStatus Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                       AudioBufferList* io)
  {
    StressHost* h = (StressHost*)refCon;
    if (nFrames > kMaxBlock) return kAudioUnitErr_TooManyFramesToProcess;
    for (UInt32 c = 0; c < io->mNumberBuffers && c < 2; ++c)
      if (io->mBuffers[c].mData) memcpy(io->mBuffers[c].mData, h->mIn[c].data(), nFrames * sizeof(float));
    return noErr;
  }

  std::mt19937 mNoiseRng;  // the rendering thread's
  double mSampleRate;
  double mSampleTime = 0.0;
  long long mPhase = 0;
  std::vector<float> mIn[2], mOut[2];
};

// The class info as its XML bytes.
std::vector<UInt8> StateBytes(CFPropertyListRef state)
{
  CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!xml) return {};
  std::vector<UInt8> bytes(CFDataGetBytePtr(xml), CFDataGetBytePtr(xml) + CFDataGetLength(xml));
  CFRelease(xml);
  return bytes;
}

CFPropertyListRef GetState(AudioUnit unit)
{
  CFPropertyListRef state = nullptr;
  return GetProp(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state) == noErr ? state : nullptr;
}

// A block of n frames as a host with automation renders it: a parameter event for every
// 32-frame sub-block, scheduled at its offset, then one render.
OSStatus AutomatedBlock(StressHost& h, UInt32 n)
{
  std::vector<AudioUnitParameterEvent> events;
  for (UInt32 offset = 0; offset < n; offset += kSubBlock) {
    AudioUnitParameterEvent e = {};
    e.scope = kAudioUnitScope_Global;
    e.parameter = (AudioUnitParameterID)(h.mRng() % kNumParams);
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate.bufferOffset = offset;
    e.eventValues.immediate.value = h.RandomValue((int)e.parameter);
    events.push_back(e);
  }
  const OSStatus r = AudioUnitScheduleParameters(h.unit, events.data(), (UInt32)events.size());
  if (r != noErr) return r;
  return h.Render(n);
}

TEST(Stress, AutomationPresetsAndBypassAtEveryRateAndBlockSize)
{
  const double rates[] = {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
  const double perRate = PartSeconds(3.0) / 6;
  StressHost h(rates[0]);
  for (double rate : rates) {
    SCOPED_TRACE(rate);
    ASSERT_EQ(h.Configure(rate), noErr);
    ASSERT_EQ(AudioUnitInitialize(h.unit), noErr);
    // Block sizes from 1 to 4096: the edges first, then at random.
    const UInt32 edges[] = {1, 2, 31, 32, 33, 4095, 4096};
    for (UInt32 n : edges) ASSERT_EQ(AutomatedBlock(h, n), noErr) << n << " frames";
    std::uniform_int_distribution<UInt32> size(1, kMaxBlock);
    for (Deadline end(perRate); !end.Passed();) {
      const UInt32 n = h.mRng() % 4 ? size(h.mRng) % 600 + 1 : size(h.mRng);
      ASSERT_EQ(AutomatedBlock(h, n), noErr) << n << " frames";
      switch (h.mRng() % 16) {
        case 0: {
          AUPreset preset = {(SInt32)(h.mRng() % 3) - 1, nullptr};  // -1 and 1 lie outside the list
          SetProp(h.unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset);
          break;
        }
        case 1: {
          UInt32 bypass = h.mRng() % 2;
          ASSERT_EQ(SetProp(h.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, bypass), noErr);
          break;
        }
        case 2:
          ASSERT_EQ(AudioUnitReset(h.unit, kAudioUnitScope_Global, 0), noErr);
          break;
        default:
          break;
      }
    }
  }
  EXPECT_EQ(h.badSamples, 0) << "of " << 2 * h.rendered << " samples were NaN, infinite or subnormal";
}

TEST(Stress, ClassInfoFromASecondThreadWhileRendering)
{
  StressHost h(48000.0);
  // States of the unit's own making, to set and read back.
  std::vector<CFPropertyListRef> states;
  for (int i = 0; i < 8; ++i) {
    for (int p = 0; p < kNumParams; ++p)
      ASSERT_EQ(AudioUnitSetParameter(h.unit, p, kAudioUnitScope_Global, 0, h.RandomValue(p), 0), noErr);
    states.push_back(GetState(h.unit));
    ASSERT_NE(states.back(), nullptr);
  }

  std::atomic<bool> stop(false);
  std::atomic<int> renderFailures(0);
  std::thread audio([&] {
    std::mt19937 rng(99);
    while (!stop.load())
      if (h.Render(rng() % kMaxBlock + 1) != noErr) ++renderFailures;
  });

  int mismatches = 0, failures = 0, rounds = 0;
  for (Deadline end(PartSeconds(3.0)); !end.Passed(); ++rounds) {
    CFPropertyListRef want = states[rounds % states.size()];
    failures += SetProp(h.unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, want) != noErr;
    CFPropertyListRef got = GetState(h.unit);
    failures += got == nullptr;
    if (got) {
      mismatches += StateBytes(got) != StateBytes(want);
      CFRelease(got);
    }
    if (rounds % 7 == 0) {
      UInt32 bypass = rounds % 2;
      failures += SetProp(h.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, bypass) != noErr;
    }
  }
  stop = true;
  audio.join();
  for (CFPropertyListRef s : states) CFRelease(s);
  EXPECT_GT(rounds, 0);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(mismatches, 0) << "of " << rounds << " states did not read back as set";
  EXPECT_EQ(renderFailures.load(), 0);
  EXPECT_EQ(h.badSamples, 0) << "of " << 2 * h.rendered << " samples were NaN, infinite or subnormal";
}

// The editor view the unit's Cocoa view factory makes, or null when the unit offers none.
NSView* MakeEditorView(AudioUnit unit)
{
  AudioUnitCocoaViewInfo info = {};
  if (GetProp(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, info) != noErr) return nullptr;
  if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
  const std::string className = Text(info.mCocoaAUViewClass[0]);
  if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);
  Class factoryClass = NSClassFromName(className.c_str());
  NSObject* object = factoryClass ? factoryClass->alloc() : nullptr;
  AUCocoaUIBase* factory = object ? ns_cast<AUCocoaUIBase>(object->init()) : nullptr;
  if (!factory) {
    if (object) object->release();
    return nullptr;
  }
  NSView* view = factory->uiViewForAudioUnit(unit, NSMakeSize(0, 0));
  factory->release();
  return view;
}

TEST(Stress, EditorOpenedAndClosedWhileRendering)
{
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  StressHost h(44100.0);
  NSView* view = MakeEditorView(h.unit);
  if (!view) {
    pool->drain();
    GTEST_SKIP() << "the unit offers no editor";
  }

  std::atomic<bool> stop(false);
  std::atomic<int> renderFailures(0);
  std::thread audio([&] {
    std::mt19937 rng(7);
    while (!stop.load())
      if (h.Render(rng() % 1024 + 1) != noErr) ++renderFailures;
  });

  int opened = 0;
  std::mt19937 rng(3);
  for (Deadline end(PartSeconds(3.0)); !end.Passed(); view = MakeEditorView(h.unit)) {
    ASSERT_NE(view, nullptr);
    const NSRect frame = view->frame();
    NSWindow* window =
        NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, frame.size.width, frame.size.height),
                                               NSTitledWindowMask | NSClosableWindowMask, NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront(nullptr);
    window->display();
    // The editor's timer runs while the host automates the parameters it shows.
    for (int i = 0; i < 3; ++i) {
      AudioUnitSetParameter(h.unit, rng() % kNumParams, kAudioUnitScope_Global, 0, h.RandomValue(rng() % kNumParams),
                            0);
      NSRunLoop::currentRunLoop()->runForTimeInterval(0.01);
    }
    window->displayIfNeeded();
    // Taking the view out closes the editor, as a host's closing window does.
    view->removeFromSuperview();
    window->close();
    window->release();
    ++opened;
  }
  stop = true;
  audio.join();
  pool->drain();
  EXPECT_GT(opened, 0);
  EXPECT_EQ(renderFailures.load(), 0);
  EXPECT_EQ(h.badSamples, 0) << "of " << 2 * h.rendered << " samples were NaN, infinite or subnormal";
}
}  // namespace
