// One instance of the plug-in, driven through the Audio Unit host API.
#pragma once

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>

#include <cstddef>
#include <string>
#include <vector>

// The text form of a host-API status: its number and name when known.
std::string DescribeStatus(OSStatus status);

// A four-character code as text, e.g. 'aufx'.
std::string FourCC(UInt32 code);

// A Core Foundation string as UTF-8 ("" for null).
std::string CFText(CFStringRef s);

// One parameter as the unit describes it.
struct ParameterDesc
{
  AudioUnitParameterID id;
  std::string name;
  AudioUnitParameterUnit unit;
  std::string unitName;  // the custom unit's name, when it has one
  float minValue, maxValue, defaultValue;
  std::vector<std::string> valueStrings;  // display texts of indexed values, when it has them
};

// A parameter value the user asked for, checked against the unit.
struct ParameterSetting
{
  AudioUnitParameterID id;
  std::string name;
  float value;
};

// Loads the plug-in bundle, opens one instance of its unit and talks to it as
// a host does. Every failing call leaves a message naming what failed.
class AUSession
{
public:
  AUSession() = default;
  ~AUSession();
  AUSession(const AUSession&) = delete;
  AUSession& operator=(const AUSession&) = delete;

  // Registers the bundle and opens an instance of the unit it brought.
  bool Load(const std::string& bundlePath, std::string& err);
  // Opens an instance of a component already registered (by another session's Load).
  bool Open(AudioComponent component, std::string& err);

  AudioComponent Component() const { return mComponent; }
  AudioUnit Unit() const { return mUnit; }
  const AudioComponentDescription& Description() const { return mDesc; }
  // The unit's name and maker as the component reports them.
  const std::string& Name() const { return mName; }
  const std::string& Maker() const { return mMaker; }
  const std::vector<ParameterDesc>& Parameters() const { return mParams; }

  // Reads "NAME=VALUE" (VALUE in the parameter's display units, or one of its
  // value texts) and checks it against the unit. False when the text is
  // malformed, names no parameter or the value is out of range.
  bool ResolveSetting(const std::string& text, ParameterSetting& out, std::string& err) const;
  bool ApplySetting(const ParameterSetting& s, std::string& err);

  // Current value of a parameter and its display text as the unit gives it.
  bool ParameterValue(AudioUnitParameterID id, float& value, std::string& err) const;
  bool DisplayText(AudioUnitParameterID id, float value, std::string& out, std::string& err) const;

  // Factory presets as (number, name), and the one in use.
  bool FactoryPresets(std::vector<std::pair<int, std::string>>& out, std::string& err) const;
  bool PresentPreset(int& number, std::string& name, std::string& err) const;
  // Selects factory preset n; false naming the valid numbers when n is not one.
  bool CheckPreset(long n, std::string& err) const;
  bool SelectPreset(long n, std::string& err);

  // Sets the unit's own bypass.
  bool SetBypass(bool on, std::string& err);
  // Sets the unit's render quality, kRenderQuality_Min ... kRenderQuality_Max.
  bool SetRenderQuality(UInt32 quality, std::string& err);

  // The class-info dictionary (caller releases it) and restoring one. Restore
  // checks first that the dictionary was made by this unit and that its data
  // is as long as the unit's own, and afterwards that every parameter holds a
  // value in its range. A saved value outside its parameter's range, or not a
  // number, adds a note to notes saying which parameter, which value and what
  // it became; with strict it is refused and nothing is restored.
  bool CopyState(CFPropertyListRef& out, std::string& err) const;
  bool RestoreState(CFPropertyListRef state, const std::string& origin, bool strict, std::vector<std::string>& notes,
                    std::string& err);

  bool SupportedChannels(std::vector<AUChannelInfo>& out, std::string& err) const;
  bool Seconds(AudioUnitPropertyID id, double& out, std::string& err) const;

  // Sets stream formats of channels channels at sampleRate, the sample rate,
  // the maximum frames per slice and the input render callback, then
  // initializes the unit.
  bool Prepare(double sampleRate, int channels, int maxFrames, std::string& err);
  // Renders frames frames: input channel c is read from in[c] by the render
  // callback, output channel c is written to out[c].
  bool Render(const float* const* in, float* const* out, int frames, std::string& err);

private:
  static OSStatus FeedInput(void* ref, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus,
                            UInt32 frames, AudioBufferList* data);
  bool ReadParameters(std::string& err);
  bool Call(OSStatus status, const char* what, std::string& err) const;

  AudioComponent mComponent = nullptr;
  AudioUnit mUnit = nullptr;
  AudioComponentDescription mDesc = {};
  std::string mName, mMaker;
  std::vector<ParameterDesc> mParams;
  bool mInitialized = false;
  int mChannels = 0;
  Float64 mSampleTime = 0;
  const float* const* mInput = nullptr;
  // Storage for an AudioBufferList of two buffers.
  alignas(AudioBufferList) unsigned char mOutListStorage[offsetof(AudioBufferList, mBuffers) + 2 * sizeof(AudioBuffer)];
};
