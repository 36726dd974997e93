// Costs of the platform calls that sit on hot paths: unit dispatch, dictionary lookups,
// numbers, and a state dictionary written and read as an XML property list.
#include <AudioToolbox/AudioToolbox.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct Unit
{
  AudioComponentPlugInInterface iface;
  Float32 value = 0.5f;
};

OSStatus GetParameter(void* self, AudioUnitParameterID, AudioUnitScope, AudioUnitElement, AudioUnitParameterValue* v)
{
  *v = ((Unit*)self)->value;
  return noErr;
}
OSStatus Render(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  return noErr;
}
AudioComponentMethod Lookup(SInt16 sel)
{
  if (sel == kAudioUnitGetParameterSelect) return (AudioComponentMethod)GetParameter;
  if (sel == kAudioUnitRenderSelect) return (AudioComponentMethod)Render;
  return nullptr;
}
OSStatus Open(void*, AudioComponentInstance) { return noErr; }
OSStatus Close(void* self)
{
  free(self);
  return noErr;
}
AudioComponentPlugInInterface* Factory(const AudioComponentDescription*)
{
  Unit* u = new (malloc(sizeof(Unit))) Unit;
  u->iface = {Open, Close, Lookup, nullptr};
  return &u->iface;
}
ComponentResult Entry(ComponentParameters* p, Handle storage)
{
  if (p->what == kComponentOpenSelect) {
    ComponentInstance ci;
    memcpy(&ci, &p->params[1], sizeof ci);
    SetComponentInstanceStorage(ci, (Handle)Factory(nullptr));
    return noErr;
  }
  if (p->what == kComponentCloseSelect) return Close(storage);
  if (p->what == kAudioUnitGetParameterSelect) {
    AudioUnitParameterValue* v;
    memcpy(&v, &p->params[4], sizeof v);
    return GetParameter(storage, 0, 0, 0, v);
  }
  return badComponentSelector;
}

void BM_GetParameterThroughLookup(benchmark::State& state)
{
  AudioComponentDescription d = {kAudioUnitType_Effect, 'bnch', 'Test', 0, 0};
  static AudioComponent c = AudioComponentRegister(&d, CFSTR("Bench"), 1, Factory);
  AudioUnit u;
  AudioComponentInstanceNew(c, &u);
  AudioUnitParameterValue v;
  for (auto _ : state) {
    AudioUnitGetParameter(u, 0, 0, 0, &v);
    benchmark::DoNotOptimize(v);
  }
  AudioComponentInstanceDispose(u);
}
BENCHMARK(BM_GetParameterThroughLookup);

void BM_GetParameterThroughEntry(benchmark::State& state)
{
  ComponentDescription d = {kAudioUnitType_Effect, 'bnce', 'Test', 0, 0};
  static Component c = RegisterComponent(&d, Entry, 0, nullptr, nullptr, nullptr);
  ComponentInstance u;
  OpenAComponent(c, &u);
  AudioUnitParameterValue v;
  for (auto _ : state) {
    AudioUnitGetParameter(u, 0, 0, 0, &v);
    benchmark::DoNotOptimize(v);
  }
  CloseComponent(u);
}
BENCHMARK(BM_GetParameterThroughEntry);

CFDictionaryRef makeState()
{
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const char* keys[] = {"version", "type", "subtype", "manufacturer"};
  SInt32 values[] = {65536, 'aufx', 'Kel1', 'Qlmh'};
  for (int i = 0; i < 4; i++) {
    CFStringRef k = CFStringCreateWithCString(nullptr, keys[i], kCFStringEncodingUTF8);
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &values[i]);
    CFDictionarySetValue(d, k, n);
    CFRelease(k);
    CFRelease(n);
  }
  CFDictionarySetValue(d, CFSTR("name"), CFSTR("-"));
  UInt8 bytes[32] = {};
  CFDataRef data = CFDataCreate(nullptr, bytes, sizeof bytes);
  CFDictionarySetValue(d, CFSTR("data"), data);
  CFRelease(data);
  return d;
}

void BM_DictionaryLookup(benchmark::State& state)
{
  CFDictionaryRef d = makeState();
  for (auto _ : state) benchmark::DoNotOptimize(CFDictionaryGetValue(d, CFSTR("manufacturer")));
  CFRelease(d);
}
BENCHMARK(BM_DictionaryLookup);

void BM_StatePlistRoundTrip(benchmark::State& state)
{
  CFDictionaryRef d = makeState();
  for (auto _ : state) {
    CFDataRef xml = CFPropertyListCreateData(nullptr, d, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
    CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, xml, 0, nullptr, nullptr);
    benchmark::DoNotOptimize(back);
    CFRelease(back);
    CFRelease(xml);
  }
  CFRelease(d);
}
BENCHMARK(BM_StatePlistRoundTrip);

}  // namespace
