// The LV2 wrapper: everything an LV2 host calls on an instance. The product class derives from
// IPlugLV2 (through IPlug); the entry point that builds it comes from IPlugLV2_entry.h.
//
// One LV2 plug-in per channel layout of the product: the widest layout (the first of the widest
// when several tie) carries the product's URI and name, every other layout the URI with a
// fragment ("#mono", "#stereo", "#2in4out") and the name with the fragment in brackets.
// Ports: one control input per parameter (port index = parameter index), then the layout's audio
// inputs, then its audio outputs; a plug-in that offers render qualities then has a control input
// for the quality and a control output that reports the latency in frames.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <stdint.h>

#include "IPlugBase.h"
#include "base/heapbuf.h"
#include "base/wdlstring.h"

class IPlugLV2;

// What an instance is told about itself: the product's base URI and the channel layout (an index
// into the product's layout list) it serves; -1 selects the widest.
struct IPlugInstanceInfo
{
  WDL_String mURI;
  int mChannelIOIdx = -1;
};

// The product's construction function and base URI, as its entry file defines them.
struct IPlugLV2Factory
{
  const char* mURI;
  IPlugLV2* (*mMake)(const IPlugInstanceInfo& info);  // one instance at a time; null when out of memory
};
// Defined by the product's entry file (IPLUG_LV2_ENTRY_POINTS).
const IPlugLV2Factory& GetIPlugLV2Factory();

class IPlugLV2 : public IPlugBase
{
public:
  // The base's construction; the side-chain channel count is not used.
  IPlugLV2(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
           const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IPlugLV2() override;

  // --- the plug-in as LV2 sees it ---
  enum EPortKind {
    kPortControlIn,
    kPortAudioIn,
    kPortAudioOut,
    kPortQuality,  // the render quality, 0 to 127
    kPortLatency,  // the latency in frames, written at every run
    kPortNone
  };
  // The layout this instance serves (index into the layout list) and its channel counts.
  int ChannelIOIdx() const { return mChannelIOIdx; }
  int NAudioIn() const { return mNAudioIn; }
  int NAudioOut() const { return mNAudioOut; }
  int NPorts() const { return NParams() + mNAudioIn + mNAudioOut + (OffersQuality() ? 2 : 0); }
  // Whether the plug-in offers render qualities (asked of it once).
  bool OffersQuality() const;
  // Kind of a port and its parameter or channel index (kPortNone outside the ports).
  EPortKind PortKind(int port, int* pIdx) const;
  // The port's symbol (a C identifier, unique among the ports) and its name.
  const char* PortSymbol(int port) const;
  const char* PortName(int port) const;
  // The instance's plug-in URI and name.
  const char* PluginURI() const { return mPluginURI.Get(); }
  const char* PluginName() const { return mPluginName.Get(); }
  // URI of one of the instance's own state keys ("state", "version", "uniqueID", "manufacturer",
  // "preset"): the product's base URI with that fragment.
  void StateKeyURI(const char* key, WDL_String* pURI) const;
  // Whether preset slot idx holds a preset (a factory preset the bundle lists).
  bool HasPreset(int idx) const
  {
    const IPreset* pPreset = mPresets.Get(idx);
    return pPreset && pPreset->mInitialized;
  }
  // The data of the feature named uri among the host's features, or null.
  static const void* FindFeature(const LV2_Feature* const* features, const char* uri);

  // --- the host's calls, in the order a host makes them ---
  // Reads the features (urid:map, options with the sample rate and the maximum block length; all
  // optional), sets the sample rate and block size and brings every parameter to OnParamChange.
  // False for a sample rate that is not a positive number or buffers that cannot be had.
  bool Init(double sampleRate, const LV2_Feature* const* features);
  // Points a port at the host's buffer; null disconnects it (an audio input then reads silence,
  // an audio output writes nowhere, a control keeps its value).
  void ConnectPort(uint32_t port, void* pData);
  void Activate();
  void Deactivate();
  // Under the instance mutex: applies every control whose value changed since the last run, then
  // processes nFrames in pieces of at most the block size. Allocates nothing.
  void Run(uint32_t nFrames);
  // Sets a parameter from its control port's value as a host-set parameter is: clamped (not a
  // number: unchanged), handed to the editor, then OnParamChange. The caller holds the mutex when needed.
  void SetParameterFromControl(int paramIdx, float value);
  // The state extension: the state bytes and their identity (see IPlugLV2_state.cpp).
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t flags,
                             const LV2_Feature* const* features);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t flags,
                                const LV2_Feature* const* features);

  // The descriptor of plug-in index of a product (null past the last), built once per load from
  // an instance the factory makes; the URIs and names live in static storage.
  static const LV2_Descriptor* Descriptor(uint32_t index, const IPlugLV2Factory& factory);
  // An instance of plug-in index of the product, on that plug-in's layout and not yet initialized;
  // null past the last or when out of memory.
  static IPlugLV2* MakeInstance(uint32_t index, const IPlugLV2Factory& factory);

  // The render qualities a host chooses from through the quality port: a name and the quality
  // that stands for its band.
  struct QualityLevel
  {
    const char* mName;
    int mQuality;
  };
  static const QualityLevel kQualityLevels[3];

  // The block size an instance takes when the host gives no maximum block length.
  static constexpr int kDefaultBlockSize = 1024;
  // The largest block an instance prepares for; a longer run is processed in pieces.
  static constexpr int kMaxBlockSize = 65536;

private:
  // Names every port (when first asked); symbols are made unique by a numeric suffix.
  void MakePortSymbols() const;

  int mChannelIOIdx, mNAudioIn, mNAudioOut;
  // Whether the plug-in offers render qualities: -1 until first asked, then 0 or 1.
  mutable int mOffersQuality;
  WDL_String mBaseURI, mPluginURI, mPluginName;
  mutable WDL_PtrList<WDL_String> mPortSymbols, mPortNames;
  LV2_URID_Map* mMap;
  // Per parameter: the host's control buffer and the value last applied from it (NaN: none yet).
  WDL_TypedBuf<const float*> mControls;
  WDL_TypedBuf<float> mLastControls;
  // The quality port and the value last applied from it (NaN: none yet); the latency port.
  const float* mQualityControl;
  float mLastQuality;
  float* mLatencyOut;
  // Per channel: the host's buffer and the piece of it handed to the base.
  WDL_TypedBuf<const float*> mAudioIn;
  WDL_TypedBuf<float*> mAudioOut;
  WDL_TypedBuf<float*> mInPieces, mOutPieces;
  // Read by a disconnected input, written by a disconnected output (block size each).
  WDL_TypedBuf<float> mSilence, mDiscard;
};
