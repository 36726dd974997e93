// A render thread against a thread of host calls, and the allocation count of rendering.
#include "AUTestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdlib.h>
#include <string.h>
#include <thread>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KELVO_COUNT_ALLOCATIONS 0
#else
#define KELVO_COUNT_ALLOCATIONS 1
#endif

#if KELVO_COUNT_ALLOCATIONS
// Every heap allocation of the process, counted while gCounting is set.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
namespace {
std::atomic<bool> gCounting(false);
std::atomic<long> gAllocations(0);
inline void Count()
{
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace
extern "C" void* malloc(size_t n)
{
  Count();
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t m)
{
  Count();
  return __libc_calloc(n, m);
}
extern "C" void* realloc(void* p, size_t n)
{
  Count();
  return __libc_realloc(p, n);
}
#endif

namespace {
struct StereoUnit
{
  TestUnit unit;
  RenderHarness h{unit};
  StereoUnit()
  {
    EXPECT_EQ(SetFloatIO(unit, 2, 44100.0, 512), noErr);
    h.source[0] = TestSignal(4096, 0);
    h.source[1] = TestSignal(4096, 1);
    EXPECT_EQ(h.Connect(), noErr);
    EXPECT_EQ(AudioUnitInitialize(unit), noErr);
  }
};

bool SameData(CFDictionaryRef a, CFDictionaryRef b)
{
  CFDataRef da = (CFDataRef)CFDictionaryGetValue(a, CFSTR("data"));
  CFDataRef db = (CFDataRef)CFDictionaryGetValue(b, CFSTR("data"));
  return da && db && CFEqual(da, db);
}
}  // namespace

#if KELVO_COUNT_ALLOCATIONS
TEST(AUConcurrency, RenderAllocatesNothing)
{
  StereoUnit s;
  ASSERT_EQ(s.h.RenderBlock(512), noErr);
  // The harness's own vectors are sized before counting starts.
  AudioBufferList* list = s.h.lastList();
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  gAllocations = 0;
  gCounting = true;
  for (int i = 1; i <= 200; ++i) {
    ts.mSampleTime = 512.0 * i;
    AudioUnitRenderActionFlags flags = 0;
    ASSERT_EQ(AudioUnitRender(s.unit, &flags, &ts, 0, 512, list), noErr);
  }
  gCounting = false;
  EXPECT_EQ(gAllocations.load(), 0);
  // The counter does count: a property get makes new objects.
  gCounting = true;
  CFPropertyListRef state = nullptr;
  EXPECT_EQ(GetProp(s.unit, kAudioUnitProperty_ClassInfo, 0, 0, state), noErr);
  gCounting = false;
  EXPECT_GT(gAllocations.load(), 0);
  CFRelease(state);
}
#endif

TEST(AUConcurrency, RenderWhileTheHostChangesEverything)
{
  StereoUnit s;
  // Two states to alternate between.
  CFPropertyListRef stateA = nullptr, stateB = nullptr;
  ASSERT_EQ(GetProp(s.unit, kAudioUnitProperty_ClassInfo, 0, 0, stateA), noErr);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(AudioUnitSetParameter(s.unit, i, 0, 0, i == 0 ? -30.f : 0.9f, 0), noErr);
  ASSERT_EQ(GetProp(s.unit, kAudioUnitProperty_ClassInfo, 0, 0, stateB), noErr);

  std::atomic<bool> stop(false);
  std::atomic<long> renders(0);
  std::atomic<int> renderErrors(0);
  std::thread audio([&] {
    RenderHarness& h = s.h;
    while (!stop.load()) {
      if (h.RenderBlock(256) != noErr) ++renderErrors;
      ++renders;
      if (h.output[0].size() > 100000)
        for (int c = 0; c < 2; ++c) h.output[c].clear();
      if (h.sampleTime > 3000) h.sampleTime = 0;  // keep reading the source from its start
    }
  });

  int torn = 0, failures = 0;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
    failures +=
        AudioUnitSetParameter(s.unit, i % 4, 0, 0, (float)(i % 10) / 10.f - (i % 4 == 0 ? 1.f : 0.f), 0) != noErr;
    failures += SetProp(s.unit, kAudioUnitProperty_ClassInfo, 0, 0, (i & 1) ? stateA : stateB) != noErr;
    CFPropertyListRef now = nullptr;
    failures += GetProp(s.unit, kAudioUnitProperty_ClassInfo, 0, 0, now) != noErr;
    if (now) {
      torn += !SameData((CFDictionaryRef)now, (CFDictionaryRef)((i & 1) ? stateA : stateB));
      CFRelease(now);
    }
    AudioUnitParameterInfo info;
    failures += GetProp(s.unit, kAudioUnitProperty_ParameterInfo, 0, i % 4, info) != noErr;
    CFRelease(info.cfNameString);
    UInt32 frames = 0;
    failures += GetProp(s.unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, frames) != noErr;
    if (i % 50 == 0) failures += SetMaxFrames(s.unit, 512) != noErr;
  }
  stop = true;
  audio.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(renderErrors.load(), 0);
  EXPECT_GT(renders.load(), 10);
  CFRelease(stateA);
  CFRelease(stateB);
}
