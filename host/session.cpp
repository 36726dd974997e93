#include "session.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "args.h"
#include "paramnames.h"

namespace {

// A property read into a plain value of a fixed size.
template <typename T>
OSStatus GetGlobal(AudioUnit unit, AudioUnitPropertyID id, AudioUnitElement element, T& out)
{
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, element, &out, &size);
}

std::string FormatValue(double v)
{
  char buf[64];
  snprintf(buf, sizeof(buf), "%g", v);
  return buf;
}

}  // namespace

std::string DescribeStatus(OSStatus status)
{
  static const struct
  {
    OSStatus code;
    const char* name;
  } kNames[] = {
      {kAudioUnitErr_InvalidProperty, "kAudioUnitErr_InvalidProperty"},
      {kAudioUnitErr_InvalidParameter, "kAudioUnitErr_InvalidParameter"},
      {kAudioUnitErr_InvalidElement, "kAudioUnitErr_InvalidElement"},
      {kAudioUnitErr_NoConnection, "kAudioUnitErr_NoConnection"},
      {kAudioUnitErr_FailedInitialization, "kAudioUnitErr_FailedInitialization"},
      {kAudioUnitErr_TooManyFramesToProcess, "kAudioUnitErr_TooManyFramesToProcess"},
      {kAudioUnitErr_FormatNotSupported, "kAudioUnitErr_FormatNotSupported"},
      {kAudioUnitErr_Uninitialized, "kAudioUnitErr_Uninitialized"},
      {kAudioUnitErr_InvalidScope, "kAudioUnitErr_InvalidScope"},
      {kAudioUnitErr_PropertyNotWritable, "kAudioUnitErr_PropertyNotWritable"},
      {kAudioUnitErr_CannotDoInCurrentContext, "kAudioUnitErr_CannotDoInCurrentContext"},
      {kAudioUnitErr_InvalidPropertyValue, "kAudioUnitErr_InvalidPropertyValue"},
      {kAudioUnitErr_PropertyNotInUse, "kAudioUnitErr_PropertyNotInUse"},
      {kAudioUnitErr_Initialized, "kAudioUnitErr_Initialized"},
      {kAudioUnitErr_InvalidOfflineRender, "kAudioUnitErr_InvalidOfflineRender"},
      {kAudioUnitErr_Unauthorized, "kAudioUnitErr_Unauthorized"},
      {(OSStatus)badComponentSelector, "badComponentSelector"},
      {coreFoundationUnknownErr, "coreFoundationUnknownErr"},
      {paramErr, "paramErr"},
      {fnfErr, "fnfErr"},
      {kAudioComponentErr_InvalidFormat, "kAudioComponentErr_InvalidFormat"},
      {componentDllLoadErr, "componentDllLoadErr"},
      {componentDllEntryNotFoundErr, "componentDllEntryNotFoundErr"},
  };
  std::string s = "error " + std::to_string((long)status);
  for (const auto& n : kNames)
    if (n.code == status) return s + ", " + n.name;
  return s;
}

std::string FourCC(UInt32 code)
{
  std::string s = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = (char)((code >> shift) & 0xff);
    s += (c >= 32 && c < 127) ? c : '?';
  }
  return s + "'";
}

std::string CFText(CFStringRef s)
{
  if (!s) return "";
  const CFIndex max = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::string out((size_t)max, '\0');
  if (!CFStringGetCString(s, &out[0], max, kCFStringEncodingUTF8)) return "";
  out.resize(strlen(out.c_str()));
  return out;
}

AUSession::~AUSession()
{
  if (mUnit) {
    if (mInitialized) AudioUnitUninitialize(mUnit);
    AudioComponentInstanceDispose(mUnit);
  }
}

bool AUSession::Call(OSStatus status, const char* what, std::string& err) const
{
  if (status == noErr) return true;
  err = mName + " refused " + what + " (" + DescribeStatus(status) + ")";
  return false;
}

namespace {

// Registers a bundle with the platform. The platform tells its reasons on
// stderr; they are taken from there and given back as the cause.
OSStatus RegisterBundle(const std::string& path, std::string& cause)
{
  fflush(stderr);
  FILE* capture = tmpfile();
  const int saved = capture ? dup(2) : -1;
  if (saved >= 0) dup2(fileno(capture), 2);
  const OSStatus st = AudioComponentRegisterBundle(path.c_str());
  if (saved < 0) return st;
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  rewind(capture);
  char line[1024];
  while (fgets(line, sizeof(line), capture)) {
    std::string text = line;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const size_t colon = text.find(": ");
    if (colon != std::string::npos) text.erase(0, colon + 2);
    cause += (cause.empty() ? "" : "; ") + text;
  }
  fclose(capture);
  return st;
}

}  // namespace

bool AUSession::Load(const std::string& bundlePath, std::string& err)
{
  const std::string where = "cannot load plug-in '" + bundlePath + "': ";
  struct stat st;
  if (stat(bundlePath.c_str(), &st) != 0) {
    err = where + strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode) || stat((bundlePath + "/Contents/Info.plist").c_str(), &st) != 0) {
    err = where + "it is not a plug-in bundle (a folder with Contents/Info.plist)";
    return false;
  }
  // The components present before the bundle is registered are not its own.
  AudioComponentDescription any = {};
  std::vector<AudioComponent> before;
  for (AudioComponent c = AudioComponentFindNext(nullptr, &any); c; c = AudioComponentFindNext(c, &any))
    before.push_back(c);
  std::string cause;
  const OSStatus registered = RegisterBundle(bundlePath, cause);
  if (registered != noErr) {
    err = where + (cause.empty() ? "the platform refused it" : cause) + " (" + DescribeStatus(registered) + ")";
    return false;
  }
  AudioComponent found = nullptr;
  for (AudioComponent c = AudioComponentFindNext(nullptr, &any); c && !found; c = AudioComponentFindNext(c, &any)) {
    bool known = false;
    for (AudioComponent b : before) known = known || b == c;
    if (!known) found = c;
  }
  if (!found) {
    err = where + "it holds no Audio Unit";
    return false;
  }
  return Open(found, err);
}

bool AUSession::Open(AudioComponent component, std::string& err)
{
  mComponent = component;
  AudioComponentGetDescription(mComponent, &mDesc);
  CFStringRef full = nullptr;
  if (AudioComponentCopyName(mComponent, &full) == noErr && full) {
    // Component names read "Maker: Name".
    const std::string text = CFText(full);
    CFRelease(full);
    const size_t colon = text.find(": ");
    mMaker = colon == std::string::npos ? "" : text.substr(0, colon);
    mName = colon == std::string::npos ? text : text.substr(colon + 2);
  }
  if (mName.empty()) mName = "the plug-in";
  const OSStatus opened = AudioComponentInstanceNew(mComponent, &mUnit);
  if (opened != noErr || !mUnit) {
    mUnit = nullptr;
    err = "cannot open an instance of " + mName + " (" + DescribeStatus(opened) + ")";
    return false;
  }
  return ReadParameters(err);
}

bool AUSession::ReadParameters(std::string& err)
{
  UInt32 size = 0;
  Boolean writable = false;
  if (!Call(AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size,
                                     &writable),
            "the parameter list", err))
    return false;
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (!ids.empty() &&
      !Call(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size),
            "the parameter list", err))
    return false;
  ids.resize(size / sizeof(AudioUnitParameterID));
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info = {};
    if (!Call(GetGlobal(mUnit, kAudioUnitProperty_ParameterInfo, id, info), "a parameter's description", err))
      return false;
    ParameterDesc p;
    p.id = id;
    if (info.cfNameString) {
      p.name = CFText(info.cfNameString);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease) CFRelease(info.cfNameString);
    } else {
      p.name.assign(info.name, strnlen(info.name, sizeof(info.name)));
    }
    if (info.unitName) {
      p.unitName = CFText(info.unitName);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease) CFRelease(info.unitName);
    }
    p.unit = info.unit;
    p.minValue = info.minValue;
    p.maxValue = info.maxValue;
    p.defaultValue = info.defaultValue;
    CFArrayRef texts = nullptr;
    if (GetGlobal(mUnit, kAudioUnitProperty_ParameterValueStrings, id, texts) == noErr && texts) {
      for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i)
        p.valueStrings.push_back(CFText((CFStringRef)CFArrayGetValueAtIndex(texts, i)));
      CFRelease(texts);
    }
    mParams.push_back(p);
  }
  return true;
}

bool AUSession::ResolveSetting(const std::string& text, ParameterSetting& out, std::string& err) const
{
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) {
    err = "--set needs NAME=VALUE, not '" + text + "'";
    return false;
  }
  const std::string name = text.substr(0, eq);
  std::string valueText = text.substr(eq + 1);
  const ParameterDesc* p = FindParameter(mParams, name);
  if (!p) {
    const std::string near = NearestParameterName(mParams, name);
    err = "unknown parameter '" + name + "'" + (near.empty() ? ";" : "; did you mean '" + near + "'?") + " " + mName +
          " has:";
    for (const ParameterDesc& d : mParams) err += " " + d.name;
    for (const PanelLabel& l : PanelLabels())
      if (FindParameter(mParams, l.parameter) && l.label != std::string(l.parameter))
        err += std::string(" (") + l.label + " on the panel is " + l.parameter + ")";
    return false;
  }
  // The unit reads the text itself; it is given only a number or one of the
  // parameter's own value texts.
  double typed = 0;
  bool number = ParseNumber(valueText, typed);
  if (!number && ReadSwitchWord(*p, valueText, typed)) {
    number = true;
    valueText = FormatValue(typed);
  }
  bool readable = number;
  for (const std::string& s : p->valueStrings)
    if (!readable && strcasecmp(s.c_str(), valueText.c_str()) == 0) {
      valueText = s;
      readable = true;
    }
  const std::string whole = IsWholeNumbered(*p) ? "whole numbers " : "";
  const std::string takes = "it takes " + whole + FormatValue(p->minValue) + " to " + FormatValue(p->maxValue) +
                            (p->minValue == 0 && p->maxValue == 1 && IsWholeNumbered(*p) ? ", or on/off" : "");
  if (!readable) {
    err = "parameter " + p->name + " needs a number, not '" + valueText + "'; " + takes;
    if (!p->valueStrings.empty()) {
      err += "; or one of:";
      for (const std::string& s : p->valueStrings) err += " " + s;
    }
    return false;
  }
  if (number && IsWholeNumbered(*p) && typed != std::floor(typed)) {
    err = "parameter " + p->name + " is an integer parameter: " + takes + ", not '" + valueText + "'";
    return false;
  }
  AudioUnitParameterValueFromString vs = {};
  vs.inParamID = p->id;
  vs.inString = CFStringCreateWithCString(nullptr, valueText.c_str(), kCFStringEncodingUTF8);
  vs.outValue = NAN;
  const OSStatus st = GetGlobal(mUnit, kAudioUnitProperty_ParameterValueFromString, 0, vs);
  CFRelease(vs.inString);
  if (st != noErr || std::isnan(vs.outValue)) {
    err = mName + " cannot read '" + valueText + "' as a value of " + p->name +
          (st != noErr ? " (" + DescribeStatus(st) + ")" : "");
    return false;
  }
  // The host API carries values as 32-bit floats, and so does the range.
  const float value = vs.outValue;
  if (value < p->minValue || value > p->maxValue) {
    err = "parameter " + p->name + " = " + valueText + " is out of range: " + takes;
    return false;
  }
  out = {p->id, p->name, value};
  return true;
}

bool AUSession::ApplySetting(const ParameterSetting& s, std::string& err)
{
  return Call(AudioUnitSetParameter(mUnit, s.id, kAudioUnitScope_Global, 0, s.value, 0),
              ("the value of " + s.name).c_str(), err);
}

bool AUSession::ParameterValue(AudioUnitParameterID id, float& value, std::string& err) const
{
  return Call(AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value), "a parameter read", err);
}

bool AUSession::DisplayText(AudioUnitParameterID id, float value, std::string& out, std::string& err) const
{
  AudioUnitParameterStringFromValue sv = {};
  sv.inParamID = id;
  sv.inValue = &value;
  if (!Call(GetGlobal(mUnit, kAudioUnitProperty_ParameterStringFromValue, 0, sv), "a parameter's display text", err))
    return false;
  out = CFText(sv.outString);
  if (sv.outString) CFRelease(sv.outString);
  return true;
}

bool AUSession::FactoryPresets(std::vector<std::pair<int, std::string>>& out, std::string& err) const
{
  CFArrayRef presets = nullptr;
  const OSStatus st = GetGlobal(mUnit, kAudioUnitProperty_FactoryPresets, 0, presets);
  if (st == kAudioUnitErr_InvalidProperty) return true;  // a unit without factory presets
  if (!Call(st, "the factory preset list", err)) return false;
  if (!presets) return true;
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i) {
    const AUPreset* p = (const AUPreset*)CFArrayGetValueAtIndex(presets, i);
    out.push_back({(int)p->presetNumber, CFText(p->presetName)});
  }
  CFRelease(presets);
  return true;
}

bool AUSession::PresentPreset(int& number, std::string& name, std::string& err) const
{
  AUPreset p = {};
  if (!Call(GetGlobal(mUnit, kAudioUnitProperty_PresentPreset, 0, p), "the present preset", err)) return false;
  number = (int)p.presetNumber;
  name = CFText(p.presetName);
  if (p.presetName) CFRelease(p.presetName);
  return true;
}

bool AUSession::CheckPreset(long n, std::string& err) const
{
  std::vector<std::pair<int, std::string>> presets;
  if (!FactoryPresets(presets, err)) return false;
  for (const auto& p : presets)
    if (p.first == n) return true;
  if (presets.empty()) {
    err = mName + " has no factory presets";
    return false;
  }
  err = "no factory preset " + std::to_string(n) + "; " + mName + " has:";
  for (const auto& p : presets) err += " " + std::to_string(p.first) + " (\"" + p.second + "\")";
  return false;
}

bool AUSession::SelectPreset(long n, std::string& err)
{
  if (!CheckPreset(n, err)) return false;
  AUPreset p = {};
  p.presetNumber = (SInt32)n;
  return Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &p, sizeof(p)),
              "the preset", err);
}

bool AUSession::SetBypass(bool on, std::string& err)
{
  const UInt32 v = on ? 1 : 0;
  return Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &v, sizeof(v)),
              "bypass", err);
}

bool AUSession::SetRenderQuality(UInt32 quality, std::string& err)
{
  return Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_RenderQuality, kAudioUnitScope_Global, 0, &quality,
                                   sizeof(quality)),
              "the render quality", err);
}

bool AUSession::CopyState(CFPropertyListRef& out, std::string& err) const
{
  out = nullptr;
  if (!Call(GetGlobal(mUnit, kAudioUnitProperty_ClassInfo, 0, out), "to give its state", err)) return false;
  if (!out || CFGetTypeID(out) != CFDictionaryGetTypeID()) {
    if (out) CFRelease(out);
    out = nullptr;
    err = mName + " gave a state that is not a dictionary";
    return false;
  }
  return true;
}

bool AUSession::RestoreState(CFPropertyListRef state, const std::string& origin, bool strict,
                             std::vector<std::string>& notes, std::string& err)
{
  CFDictionaryRef dict = (CFDictionaryRef)state;
  static const struct
  {
    const char* key;
    OSType AudioComponentDescription::*field;
  } kIdentity[] = {{"type", &AudioComponentDescription::componentType},
                   {"subtype", &AudioComponentDescription::componentSubType},
                   {"manufacturer", &AudioComponentDescription::componentManufacturer}};
  for (const auto& k : kIdentity) {
    CFStringRef key = CFStringCreateWithCString(nullptr, k.key, kCFStringEncodingUTF8);
    CFNumberRef num = (CFNumberRef)CFDictionaryGetValue(dict, key);
    CFRelease(key);
    SInt32 v = 0;
    if (num) CFNumberGetValue(num, kCFNumberSInt32Type, &v);
    if ((UInt32)v != mDesc.*k.field) {
      err = "'" + origin + "' is the state of another plug-in: its " + k.key + " is " + FourCC((UInt32)v) + ", " +
            mName + "'s is " + FourCC(mDesc.*k.field);
      return false;
    }
  }
  // A blob of another length than the unit's own is cut short or padded: the
  // unit would take part of it, so it is refused whole.
  CFPropertyListRef own = nullptr;
  if (!CopyState(own, err)) return false;
  CFStringRef dataKey = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFTypeRef ownData = CFDictionaryGetValue((CFDictionaryRef)own, dataKey);
  CFTypeRef data = CFDictionaryGetValue(dict, dataKey);
  CFRelease(dataKey);
  const CFIndex ownLength =
      ownData && CFGetTypeID(ownData) == CFDataGetTypeID() ? CFDataGetLength((CFDataRef)ownData) : -1;
  const CFIndex length = data && CFGetTypeID(data) == CFDataGetTypeID() ? CFDataGetLength((CFDataRef)data) : -1;
  CFRelease(own);
  if (ownLength >= 0 && length != ownLength) {
    err = "'" + origin + "' is not a usable state: its \"data\" entry holds " + std::to_string((long)length) +
          " bytes, " + mName + "'s holds " + std::to_string((long)ownLength);
    return false;
  }
  // The data holds each parameter's value as a double, in the order of the
  // parameter list; a value the unit would have to change is named.
  struct Doubtful
  {
    const ParameterDesc* p;
    double value;
  };
  std::vector<Doubtful> doubtful;
  if (length == (CFIndex)(mParams.size() * sizeof(double))) {
    const UInt8* bytes = CFDataGetBytePtr((CFDataRef)data);
    for (size_t i = 0; i < mParams.size(); ++i) {
      double v;
      memcpy(&v, bytes + i * sizeof(double), sizeof(v));
      // The range is given in 32-bit floats, as the host API carries values.
      const float f = (float)v;
      if (!(f >= mParams[i].minValue && f <= mParams[i].maxValue)) doubtful.push_back({&mParams[i], v});
    }
  }
  auto says = [&](const Doubtful& d) {
    return "'" + origin + "' gives " + d.p->name + " the value " + FormatValue(d.value) +
           (std::isnan(d.value)
                ? ", which is not a number"
                : ", outside its range " + FormatValue(d.p->minValue) + " to " + FormatValue(d.p->maxValue));
  };
  if (strict && !doubtful.empty()) {
    err = says(doubtful[0]) + " (refused with --strict)";
    return false;
  }
  if (!Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)),
            ("the state in '" + origin + "'").c_str(), err))
    return false;
  for (const ParameterDesc& p : mParams) {
    float v = 0;
    if (!ParameterValue(p.id, v, err)) return false;
    if (!(v >= p.minValue && v <= p.maxValue)) {
      err = "'" + origin + "' gives parameter " + p.name + " the value " + FormatValue(v) + ", outside its range " +
            FormatValue(p.minValue) + " to " + FormatValue(p.maxValue);
      return false;
    }
  }
  for (const Doubtful& d : doubtful) {
    float v = 0;
    std::string became;
    if (!ParameterValue(d.p->id, v, err) || !DisplayText(d.p->id, v, became, err)) return false;
    notes.push_back(says(d) + "; it became " + became + " (--strict refuses such a state)");
  }
  return true;
}

bool AUSession::SupportedChannels(std::vector<AUChannelInfo>& out, std::string& err) const
{
  UInt32 size = 0;
  Boolean writable = false;
  const OSStatus st = AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global,
                                               0, &size, &writable);
  if (st == kAudioUnitErr_InvalidProperty) return true;  // any configuration
  if (!Call(st, "its channel configurations", err)) return false;
  out.resize(size / sizeof(AUChannelInfo));
  if (out.empty()) return true;
  if (!Call(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, out.data(),
                                 &size),
            "its channel configurations", err))
    return false;
  out.resize(size / sizeof(AUChannelInfo));
  return true;
}

bool AUSession::Seconds(AudioUnitPropertyID id, double& out, std::string& err) const
{
  Float64 v = 0;
  if (!Call(GetGlobal(mUnit, id, 0, v), "a time property", err)) return false;
  out = v;
  return true;
}

bool AUSession::Prepare(double sampleRate, int channels, int maxFrames, std::string& err)
{
  AudioStreamBasicDescription f = {};
  f.mSampleRate = sampleRate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = 4;
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = 4;
  f.mChannelsPerFrame = (UInt32)channels;
  f.mBitsPerChannel = 32;
  const std::string what = std::to_string(channels) + "-channel audio at " + FormatValue(sampleRate) + " Hz";
  const Float64 rate = sampleRate;
  const UInt32 frames = (UInt32)maxFrames;
  AURenderCallbackStruct feed = {FeedInput, this};
  if (!Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, sizeof(f)),
            (what + " in").c_str(), err) ||
      !Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &f, sizeof(f)),
            (what + " out").c_str(), err) ||
      !Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate)),
            "the sample rate", err) ||
      !Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                 sizeof(frames)),
            "the block size", err) ||
      !Call(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &feed,
                                 sizeof(feed)),
            "the input callback", err) ||
      !Call(AudioUnitInitialize(mUnit), "to initialize", err))
    return false;
  mInitialized = true;
  mChannels = channels;
  mSampleTime = 0;
  return true;
}

OSStatus AUSession::FeedInput(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                              AudioBufferList* data)
{
  const AUSession* self = static_cast<const AUSession*>(ref);
  for (UInt32 i = 0; i < data->mNumberBuffers; ++i) {
    AudioBuffer& b = data->mBuffers[i];
    const float* src = self->mInput[i < (UInt32)self->mChannels ? i : 0];
    const UInt32 bytes = frames * sizeof(float);
    if (!b.mData) {
      b.mData = const_cast<float*>(src);
      b.mDataByteSize = bytes;
    } else {
      memcpy(b.mData, src, bytes < b.mDataByteSize ? bytes : b.mDataByteSize);
    }
  }
  return noErr;
}

bool AUSession::Render(const float* const* in, float* const* out, int frames, std::string& err)
{
  mInput = in;
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mOutListStorage);
  list->mNumberBuffers = (UInt32)mChannels;
  for (int c = 0; c < mChannels; ++c) {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = (UInt32)frames * sizeof(float);
    list->mBuffers[c].mData = out[c];
  }
  AudioTimeStamp ts = {};
  ts.mSampleTime = mSampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  if (!Call(AudioUnitRender(mUnit, &flags, &ts, 0, (UInt32)frames, list), "to render", err)) return false;
  // A unit may answer with buffers of its own.
  for (int c = 0; c < mChannels; ++c)
    if (list->mBuffers[c].mData != out[c]) memcpy(out[c], list->mBuffers[c].mData, frames * sizeof(float));
  mSampleTime += frames;
  return true;
}
