/* Audio unit scopes, property IDs and the records properties carry. */
#ifndef AUDIOUNITPROPERTIES_H_
#define AUDIOUNITPROPERTIES_H_
#pragma GCC system_header

#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
  kAudioUnitScope_Group = 3,
  kAudioUnitScope_Part = 4,
  kAudioUnitScope_Note = 5,
  kAudioUnitScope_Layer = 6,
  kAudioUnitScope_LayerItem = 7
};

enum {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_CPULoad = 6,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_SRCAlgorithm = 9,
  kAudioUnitProperty_ReverbRoomType = 10,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_SetExternalBuffer = 15,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_ContextName = 25,
  kAudioUnitProperty_RenderQuality = 26,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_InPlaceProcessing = 29,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_IconLocation = 39,
  kAudioUnitProperty_PresentationLatency = 40,
  kAudioUnitProperty_DependentParameters = 45,
  kAudioUnitProperty_AUHostIdentifier = 46,
  kAudioUnitProperty_MIDIOutputCallbackInfo = 47,
  kAudioUnitProperty_MIDIOutputCallback = 48,
  kAudioUnitProperty_InputSamplesInOutput = 49,
  kAudioUnitProperty_ClassInfoFromDocument = 50,
  kAudioUnitProperty_ShouldAllocateBuffer = 51,
  kAudioUnitProperty_FrequencyResponse = 52,
  kAudioUnitProperty_ParameterHistoryInfo = 53,
  kAudioUnitProperty_NickName = 54,
  kAudioUnitProperty_RequestViewController = 56,
  kAudioUnitProperty_ParametersForOverview = 57,
  kAudioUnitProperty_SupportsMPE = 58,
  kAudioUnitProperty_LastRenderSampleTime = 61,
  kAudioUnitProperty_LoadedOutOfProcess = 62,

  kAudioUnitProperty_AllParameterMIDIMappings = 41,
  kAudioUnitProperty_AddParameterMIDIMapping = 42,
  kAudioUnitProperty_RemoveParameterMIDIMapping = 43,
  kAudioUnitProperty_HotMapParameterMIDIMapping = 44,

  kAudioUnitOfflineProperty_InputSize = 3020,
  kAudioUnitOfflineProperty_OutputSize = 3021,
  kAudioUnitOfflineProperty_StartOffset = 3022,
  kAudioUnitOfflineProperty_PreflightRequirements = 3023,
  kAudioUnitOfflineProperty_PreflightName = 3024,

  kAudioOutputUnitProperty_CurrentDevice = 2000,
  kAudioOutputUnitProperty_IsRunning = 2001,
  kAudioOutputUnitProperty_EnableIO = 2003,
  kAudioOutputUnitProperty_HasIO = 2006,
  kAudioOutputUnitProperty_SetInputCallback = 2005
};

enum { kAUPresetVersionKey_Value = 0 };
#define kAUPresetVersionKey "version"
#define kAUPresetTypeKey "type"
#define kAUPresetSubtypeKey "subtype"
#define kAUPresetManufacturerKey "manufacturer"
#define kAUPresetDataKey "data"
#define kAUPresetNameKey "name"
#define kAUPresetNumberKey "preset-number"
#define kAUPresetRenderQualityKey "render-quality"
#define kAUPresetCPULoadKey "cpu-load"
#define kAUPresetElementNameKey "element-name"
#define kAUPresetExternalFileRefs "file-references"
#define kAUPresetPartKey "part"

/* Property 1; 16 bytes. */
typedef struct AudioUnitConnection
{
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
} AudioUnitConnection;

/* Property 13; one per supported (inputs, outputs) pair; -1 means any count. */
typedef struct AUChannelInfo
{
  SInt16 inChannels;
  SInt16 outChannels;
} AUChannelInfo;

/* Property 15. */
typedef struct AudioUnitExternalBuffer
{
  Byte* buffer;
  UInt32 size;
} AudioUnitExternalBuffer;

/* Property 23; 16 bytes. */
typedef struct AURenderCallbackStruct
{
  AURenderCallback inputProc;
  void* inputProcRefCon;
} AURenderCallbackStruct;

/* Properties 28 and 36 and the factory-preset array (24); 16 bytes. */
typedef struct AUPreset
{
  SInt32 presetNumber;
  CFStringRef presetName;
} AUPreset;

enum {
  kRenderQuality_Max = 127,
  kRenderQuality_High = 96,
  kRenderQuality_Medium = 64,
  kRenderQuality_Low = 32,
  kRenderQuality_Min = 0
};

enum { kNumberOfResponseFrequencies = 1024 };

typedef struct AudioUnitFrequencyResponseBin
{
  Float64 mFrequency;
  Float64 mMagnitude;
} AudioUnitFrequencyResponseBin;

/* Host callbacks (property 27). */
typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* inHostUserData, Float64* outCurrentBeat,
                                                 Float64* outCurrentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* inHostUserData, UInt32* outDeltaSampleOffsetToNextBeat,
                                                        Float32* outTimeSig_Numerator, UInt32* outTimeSig_Denominator,
                                                        Float64* outCurrentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* inHostUserData, Boolean* outIsPlaying,
                                                   Boolean* outTransportStateChanged,
                                                   Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                   Float64* outCycleStartBeat, Float64* outCycleEndBeat);
typedef OSStatus (*HostCallback_GetTransportState2)(void* inHostUserData, Boolean* outIsPlaying,
                                                    Boolean* outIsRecording, Boolean* outTransportStateChanged,
                                                    Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                    Float64* outCycleStartBeat, Float64* outCycleEndBeat);

/* Property 27: the host's user data and three callbacks; 32 bytes. A NULL callback is
   one the host does not offer. */
typedef struct HostCallbackInfo
{
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
} HostCallbackInfo;

/* Property 31: the view bundle and the view factory class names (declared with room for one); 16 bytes. */
typedef struct AudioUnitCocoaViewInfo
{
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
} AudioUnitCocoaViewInfo;

/* Property 46: the host's name and version. */
typedef struct AUNumVersion
{
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
} AUNumVersion;

typedef struct AUHostIdentifier
{
  CFStringRef hostName;
  AUNumVersion hostVersion;
} AUHostIdentifier;

typedef struct AUHostVersionIdentifier
{
  CFStringRef hostName;
  UInt32 hostVersion;
} AUHostVersionIdentifier;

/* Property 49. */
typedef struct AUInputSamplesInOutputCallbackStruct
{
  AUInputSamplesInOutputCallback inputToOutputCallback;
  void* userData;
} AUInputSamplesInOutputCallbackStruct;

/* Parameter units. */
typedef UInt32 AudioUnitParameterUnit;
enum {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_Percent = 3,
  kAudioUnitParameterUnit_Seconds = 4,
  kAudioUnitParameterUnit_SampleFrames = 5,
  kAudioUnitParameterUnit_Phase = 6,
  kAudioUnitParameterUnit_Rate = 7,
  kAudioUnitParameterUnit_Hertz = 8,
  kAudioUnitParameterUnit_Cents = 9,
  kAudioUnitParameterUnit_RelativeSemiTones = 10,
  kAudioUnitParameterUnit_MIDINoteNumber = 11,
  kAudioUnitParameterUnit_MIDIController = 12,
  kAudioUnitParameterUnit_Decibels = 13,
  kAudioUnitParameterUnit_LinearGain = 14,
  kAudioUnitParameterUnit_Degrees = 15,
  kAudioUnitParameterUnit_EqualPowerCrossfade = 16,
  kAudioUnitParameterUnit_MixerFaderCurve1 = 17,
  kAudioUnitParameterUnit_Pan = 18,
  kAudioUnitParameterUnit_Meters = 19,
  kAudioUnitParameterUnit_AbsoluteCents = 20,
  kAudioUnitParameterUnit_Octaves = 21,
  kAudioUnitParameterUnit_BPM = 22,
  kAudioUnitParameterUnit_Beats = 23,
  kAudioUnitParameterUnit_Milliseconds = 24,
  kAudioUnitParameterUnit_Ratio = 25,
  kAudioUnitParameterUnit_CustomUnit = 26,
  kAudioUnitParameterUnit_MIDI2Controller = 27
};

/* Parameter flags. */
typedef UInt32 AudioUnitParameterOptions;
enum {
  kAudioUnitParameterFlag_CFNameRelease = (1UL << 4),
  kAudioUnitParameterFlag_OmitFromPresets = (1UL << 13),
  kAudioUnitParameterFlag_PlotHistory = (1UL << 14),
  kAudioUnitParameterFlag_MeterReadOnly = (1UL << 15),
  kAudioUnitParameterFlag_DisplayMask = (7UL << 16) | (1UL << 22),
  kAudioUnitParameterFlag_DisplaySquareRoot = (1UL << 16),
  kAudioUnitParameterFlag_DisplaySquared = (2UL << 16),
  kAudioUnitParameterFlag_DisplayCubed = (3UL << 16),
  kAudioUnitParameterFlag_DisplayCubeRoot = (4UL << 16),
  kAudioUnitParameterFlag_DisplayExponential = (5UL << 16),
  kAudioUnitParameterFlag_HasClump = (1UL << 20),
  kAudioUnitParameterFlag_ValuesHaveStrings = (1UL << 21),
  kAudioUnitParameterFlag_DisplayLogarithmic = (1UL << 22),
  kAudioUnitParameterFlag_IsHighResolution = (1UL << 23),
  kAudioUnitParameterFlag_NonRealTime = (1UL << 24),
  kAudioUnitParameterFlag_CanRamp = (1UL << 25),
  kAudioUnitParameterFlag_ExpertMode = (1UL << 26),
  kAudioUnitParameterFlag_HasCFNameString = (1UL << 27),
  kAudioUnitParameterFlag_IsGlobalMeta = (1UL << 28),
  kAudioUnitParameterFlag_IsElementMeta = (1UL << 29),
  kAudioUnitParameterFlag_IsReadable = (1UL << 30),
  kAudioUnitParameterFlag_IsWritable = (1UL << 31)
};

enum { kAudioUnitClumpID_System = 0 };

/* Property 4; 104 bytes. */
typedef struct AudioUnitParameterInfo
{
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  AudioUnitParameterOptions flags;
} AudioUnitParameterInfo;

enum { kAudioUnitParameterName_Full = -1 };

/* Properties 34 and 35; 16 bytes. */
typedef struct AudioUnitParameterNameInfo
{
  UInt32 inID;
  SInt32 inDesiredLength;
  CFStringRef outName;
} AudioUnitParameterNameInfo;
typedef AudioUnitParameterNameInfo AudioUnitParameterIDName;

/* Property 33; 24 bytes. */
typedef struct AudioUnitParameterStringFromValue
{
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
} AudioUnitParameterStringFromValue;

/* Property 38; 24 bytes. */
typedef struct AudioUnitParameterValueFromString
{
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
} AudioUnitParameterValueFromString;

/* Property 49 and the offline render properties. */
enum { kOfflinePreflight_NotRequired = 0, kOfflinePreflight_Optional = 1, kOfflinePreflight_Required = 2 };

/* Music devices. */
enum {
  kMusicDeviceProperty_InstrumentCount = 1000,
  kMusicDeviceProperty_BankName = 1007,
  kMusicDeviceProperty_SoundBankURL = 1100,
  kMusicDeviceProperty_StreamFromDisk = 1011,
  kMusicDeviceProperty_SoundBankFSRef = 1012
};

/* The view component type and its generic subtype. */
enum { kAudioUnitCarbonViewComponentType = 'auvw', kAUCarbonViewSubType_Generic = 'gnrc' };

#ifdef __cplusplus
}
#endif

#endif
