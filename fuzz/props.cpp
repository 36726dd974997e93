// Property get and set through the host API with arbitrary IDs, scopes, elements, sizes and
// data, then a render: nothing is read or written outside the buffers the host hands over,
// every new object is the caller's to release, and a render either fails cleanly or gives
// finite samples.
//
// Properties whose data carries pointers get valid pointers (a host cannot hand arbitrary
// ones); everything else in the data is the input's.
#include "FuzzInput.h"
#include "KelvoUnit.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cmath>

namespace {
const AudioUnitPropertyID kKnown[] = {kAudioUnitProperty_ClassInfo,
                                      kAudioUnitProperty_MakeConnection,
                                      kAudioUnitProperty_SampleRate,
                                      kAudioUnitProperty_ParameterList,
                                      kAudioUnitProperty_ParameterInfo,
                                      kAudioUnitProperty_FastDispatch,
                                      kAudioUnitProperty_StreamFormat,
                                      kAudioUnitProperty_ElementCount,
                                      kAudioUnitProperty_Latency,
                                      kAudioUnitProperty_SupportedNumChannels,
                                      kAudioUnitProperty_MaximumFramesPerSlice,
                                      kAudioUnitProperty_ParameterValueStrings,
                                      kAudioUnitProperty_GetUIComponentList,
                                      kAudioUnitProperty_AudioChannelLayout,
                                      kAudioUnitProperty_TailTime,
                                      kAudioUnitProperty_BypassEffect,
                                      kAudioUnitProperty_LastRenderError,
                                      kAudioUnitProperty_SetRenderCallback,
                                      kAudioUnitProperty_FactoryPresets,
                                      kAudioUnitProperty_HostCallbacks,
                                      kAudioUnitProperty_CurrentPreset,
                                      kAudioUnitProperty_PresentPreset,
                                      kAudioUnitProperty_ElementName,
                                      kAudioUnitProperty_CocoaUI,
                                      kAudioUnitProperty_SupportedChannelLayoutTags,
                                      kAudioUnitProperty_ParameterStringFromValue,
                                      kAudioUnitProperty_ParameterIDName,
                                      kAudioUnitProperty_ParameterClumpName,
                                      kAudioUnitProperty_ParameterValueFromString,
                                      kAudioUnitProperty_OfflineRender,
                                      kAudioUnitProperty_AUHostIdentifier,
                                      kMusicDeviceProperty_InstrumentCount,
                                      kAudioUnitProperty_RenderQuality,
                                      kAudioUnitProperty_InPlaceProcessing,
                                      kAudioUnitProperty_ContextName,
                                      kAudioUnitProperty_SupportedChannelLayoutTags,
                                      kAudioUnitProperty_ParameterHistoryInfo,
                                      kAudioUnitProperty_NickName};

float gSource[2][4096];

OSStatus Feed(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames, AudioBufferList* io)
{
  for (UInt32 c = 0; c < io->mNumberBuffers; ++c)
    if (io->mBuffers[c].mData && nFrames <= 4096 && io->mBuffers[c].mDataByteSize >= nFrames * sizeof(float))
      memcpy(io->mBuffers[c].mData, gSource[c & 1], nFrames * sizeof(float));
  return noErr;
}

// Replaces pointer fields in data bound for propID with valid ones. strings holds what it made.
void FixPointers(AudioUnitPropertyID propID, std::vector<uint8_t>& data, FuzzInput& in, CFStringRef text,
                 const float* value)
{
  auto put = [&](size_t offset, const void* p) {
    if (data.size() >= offset + sizeof(p)) memcpy(data.data() + offset, &p, sizeof(p));
  };
  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      put(0, nullptr);
      break;  // the class-info target covers dictionaries
    case kAudioUnitProperty_MakeConnection:
      put(offsetof(AudioUnitConnection, sourceAudioUnit), nullptr);
      break;
    case kAudioUnitProperty_SetRenderCallback:
      put(offsetof(AURenderCallbackStruct, inputProc), in.TakeBool() ? (void*)Feed : nullptr);
      put(offsetof(AURenderCallbackStruct, inputProcRefCon), nullptr);
      break;
    case kAudioUnitProperty_HostCallbacks:
      for (size_t at = 0; at + sizeof(void*) <= sizeof(HostCallbackInfo); at += sizeof(void*)) put(at, nullptr);
      break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      put(offsetof(AUPreset, presetName), in.TakeBool() ? text : nullptr);
      break;
    case kAudioUnitProperty_AUHostIdentifier:
      put(offsetof(AUHostVersionIdentifier, hostName), text);
      break;
    case kAudioUnitProperty_ContextName:
    case kAudioUnitProperty_NickName:
      put(0, text);
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
      put(offsetof(AudioUnitParameterStringFromValue, inValue), in.TakeBool() ? value : nullptr);
      break;
    case kAudioUnitProperty_ParameterValueFromString:
      put(offsetof(AudioUnitParameterValueFromString, inString), in.TakeBool() ? text : nullptr);
      break;
    default:
      break;
  }
}

void Release(CFTypeRef obj)
{
  if (obj) CFRelease(obj);
}

template <class T>
T Field(const std::vector<uint8_t>& data, size_t offset)
{
  T v;
  memcpy(&v, data.data() + offset, sizeof(T));
  return v;
}

// Nulls the fields a get of propID hands objects back in, as a host does before asking (a get
// may succeed without filling them, as a string-from-value outside the global scope does).
void ClearOutputs(AudioUnitPropertyID propID, std::vector<uint8_t>& data)
{
  auto clear = [&](size_t offset, size_t n) {
    if (data.size() >= offset + n) memset(data.data() + offset, 0, n);
  };
  switch (propID) {
    case kAudioUnitProperty_ParameterInfo:
      clear(0, sizeof(AudioUnitParameterInfo));
      break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      clear(offsetof(AUPreset, presetName), sizeof(CFStringRef));
      break;
    case kAudioUnitProperty_CocoaUI:
      clear(0, sizeof(AudioUnitCocoaViewInfo));
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
      clear(offsetof(AudioUnitParameterStringFromValue, outString), sizeof(CFStringRef));
      break;
    case kAudioUnitProperty_ParameterIDName:
      clear(offsetof(AudioUnitParameterIDName, outName), sizeof(CFStringRef));
      break;
    case kAudioUnitProperty_ParameterClumpName:
      clear(offsetof(AudioUnitParameterNameInfo, outName), sizeof(CFStringRef));
      break;
    case kAudioUnitProperty_ParameterValueFromString:
      break;  // hands back a number only
    default:
      clear(0, sizeof(CFTypeRef));
      break;
  }
}

// Releases what a successful get handed over.
void ReleaseResult(AudioUnitPropertyID propID, const std::vector<uint8_t>& data)
{
  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_FactoryPresets:
    case kAudioUnitProperty_ElementName:
    case kAudioUnitProperty_ContextName:
    case kAudioUnitProperty_NickName:
      Release(Field<CFTypeRef>(data, 0));
      break;
    case kAudioUnitProperty_ParameterInfo: {
      AudioUnitParameterInfo info = Field<AudioUnitParameterInfo>(data, 0);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease) {
        if (info.flags & kAudioUnitParameterFlag_HasCFNameString) Release(info.cfNameString);
        if (info.unit == kAudioUnitParameterUnit_CustomUnit) Release(info.unitName);
      }
      break;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      Release(Field<AUPreset>(data, 0).presetName);
      break;
    case kAudioUnitProperty_CocoaUI: {
      AudioUnitCocoaViewInfo info = Field<AudioUnitCocoaViewInfo>(data, 0);
      Release(info.mCocoaAUViewBundleLocation);
      Release(info.mCocoaAUViewClass[0]);
      break;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
      Release(Field<AudioUnitParameterStringFromValue>(data, 0).outString);
      break;
    case kAudioUnitProperty_ParameterIDName:
      Release(Field<AudioUnitParameterIDName>(data, 0).outName);
      break;
    case kAudioUnitProperty_ParameterClumpName:
      Release(Field<AudioUnitParameterNameInfo>(data, 0).outName);
      break;
    default:
      break;
  }
}

// The room a result of propID needs before ReleaseResult may read it.
size_t ResultSize(AudioUnitPropertyID propID)
{
  switch (propID) {
    case kAudioUnitProperty_ParameterInfo:
      return sizeof(AudioUnitParameterInfo);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      return sizeof(AUPreset);
    case kAudioUnitProperty_CocoaUI:
      return sizeof(AudioUnitCocoaViewInfo);
    case kAudioUnitProperty_ParameterStringFromValue:
      return sizeof(AudioUnitParameterStringFromValue);
    case kAudioUnitProperty_ParameterIDName:
      return sizeof(AudioUnitParameterIDName);
    case kAudioUnitProperty_ParameterClumpName:
      return sizeof(AudioUnitParameterNameInfo);
    default:
      return sizeof(void*);
  }
}

void Render(AudioUnit unit, FuzzInput& in)
{
  const UInt32 frames = (UInt32)in.TakeInt(0, 4096);
  const UInt32 nBuffers = (UInt32)in.TakeInt(0, 2);
  const bool nullData = in.TakeBool();
  std::vector<float> out[2];
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
  } list;
  list.mNumberBuffers = nBuffers;
  for (UInt32 c = 0; c < 2; ++c) {
    out[c].assign(frames ? frames : 1, 0.0f);
    list.mBuffers[c].mNumberChannels = 1;
    list.mBuffers[c].mDataByteSize = frames * sizeof(float);
    list.mBuffers[c].mData = nullData ? nullptr : out[c].data();
  }
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  if (AudioUnitRender(unit, &flags, &ts, 0, frames, (AudioBufferList*)&list) != noErr) return;
  for (UInt32 c = 0; c < nBuffers; ++c) {
    const float* p = (const float*)list.mBuffers[c].mData;
    if (!p) continue;
    for (UInt32 i = 0; i < frames && i < list.mBuffers[c].mDataByteSize / sizeof(float); ++i)
      Require(std::isfinite(p[i]), "a render gives finite samples");
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (gSource[0][1] == 0.0f)
    for (int i = 0; i < 4096; ++i) gSource[0][i] = gSource[1][i] = (float)std::sin(i * 0.05) * 0.7f;
  KelvoInstance unit;
  FuzzInput in(data, size);
  const float value = in.Take<float>();
  const std::string textBytes = in.TakeString(64);
  CFStringRef text = CFStringCreateWithBytes(nullptr, (const UInt8*)textBytes.data(), (CFIndex)textBytes.size(),
                                             kCFStringEncodingUTF8, false);
  const int nCalls = in.TakeInt(1, 8);
  for (int call = 0; call < nCalls && in.Left(); ++call) {
    const uint8_t kind = in.Take<uint8_t>();
    const AudioUnitPropertyID propID =
        (kind & 0x80) ? in.Take<AudioUnitPropertyID>() : kKnown[kind % (sizeof(kKnown) / sizeof(kKnown[0]))];
    const AudioUnitScope scope = (kind & 0x40) ? in.Take<AudioUnitScope>() : (AudioUnitScope)in.TakeInt(0, 3);
    const AudioUnitElement elem = (kind & 0x20) ? in.Take<AudioUnitElement>() : (AudioUnitElement)in.TakeInt(0, 4);
    const UInt32 room = (UInt32)in.TakeInt(0, 160);
    std::vector<uint8_t> buf(room ? room : 1);
    const std::vector<uint8_t> fill = in.TakeBytes(room);
    if (!fill.empty()) memcpy(buf.data(), fill.data(), fill.size());
    FixPointers(propID, buf, in, text, &value);
    switch (in.Take<uint8_t>() % 4) {
      case 0: {
        UInt32 size = 0;
        Boolean writable = false;
        AudioUnitGetPropertyInfo(unit.Get(), propID, scope, elem, in.TakeBool() ? &size : nullptr,
                                 in.TakeBool() ? &writable : nullptr);
        break;
      }
      case 1:
      case 2: {
        UInt32 size = room;
        ClearOutputs(propID, buf);
        const bool nullData = in.TakeBool() && in.TakeBool();
        if (AudioUnitGetProperty(unit.Get(), propID, scope, elem, nullData ? nullptr : buf.data(), &size) == noErr &&
            !nullData) {
          Require(size <= room, "a get writes no more than the room given");
          if (room >= ResultSize(propID)) ReleaseResult(propID, buf);
        }
        break;
      }
      default:
        AudioUnitSetProperty(unit.Get(), propID, scope, elem, room ? buf.data() : nullptr, room);
        break;
    }
  }
  Render(unit.Get(), in);
  Release(text);
  return 0;
}
