#pragma once
// The host-independent core of a plug-in instance: identity, parameters, presets, channel layouts
// and the processing frame between the host's sample buffers and ProcessDoubleReplacing.
// Host wrappers derive from it and supply the host-facing virtual operations.

#include "base/heapbuf.h"
#include "base/mutex.h"
#include "base/ptrlist.h"
#include "base/wdlstring.h"
#include "Hosts.h"
#include "IEditor.h"
#include "IParam.h"
#include "IPlugStructs.h"

class IPlugBase
{
public:
  // nParams default parameters, nPresets empty slots named "empty", and one channel record per
  // channel of the widest layout in channelIOStr (tokens "%d-%d" separated by spaces).
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
            const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
            bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // --- virtual operations, in slot order ---
  // Deletes the editor, then parameters (last first), presets, channel records, layouts, bus labels.
  virtual ~IPlugBase();
  // Hooks the product overrides; the base takes and releases the mutex.
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // Copies input i to output i for the channels both sides have, zeroes the other outputs.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  // Passes the message on to SendMidiMsg.
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  virtual void ProcessSysEx(ISysEx* pSysEx) { (void)pSysEx; }
  // Writes "" and answers false.
  virtual bool MidiNoteName(int noteNumber, char* rName);
  // The state as the current parameter values; see SerializeParams.
  virtual bool SerializeState(ByteChunk* pChunk) { return SerializeParams(pChunk); }
  virtual int UnserializeState(ByteChunk* pChunk, int startPos) { return UnserializeParams(pChunk, startPos); }
  // True when every parameter's value, narrowed to float, lies within 1e-5 of the (startPos + i)-th
  // double of pIncomingState (read as floats too).
  virtual bool CompareState(const unsigned char* pIncomingState, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int paramIdx, int x, int y)
  {
    (void)paramIdx;
    (void)x;
    (void)y;
  }
  // Under the mutex: sets the parameter from a normalized value, tells the host, calls OnParamChange.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Host notifications and transport; the host wrapper supplies them, the base does nothing.
  virtual void BeginInformHostOfParamChange(int paramIdx) { (void)paramIdx; }
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue)
  {
    (void)paramIdx;
    (void)normalizedValue;
  }
  virtual void EndInformHostOfParamChange(int paramIdx) { (void)paramIdx; }
  virtual void InformHostOfProgramChange() {}
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() { return 0; }
  virtual double GetTempo() { return 0.0; }
  virtual void GetTimeSig(int* pNum, int* pDenom)
  {
    (void)pNum;
    (void)pDenom;
  }
  virtual void GetTime(ITimeInfo* pTimeInfo) { (void)pTimeInfo; }
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h)
  {
    (void)w;
    (void)h;
  }
  virtual void HostSpecificInit() {}
  // Under the mutex: hands every parameter's normalized value to the editor, prepares its drawing
  // and takes ownership of it. Null does nothing.
  virtual void AttachGraphics(IEditor* pGraphics);
  // Stores the latency; wrappers also tell the host.
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiMsg(IMidiMsg* pMsg)
  {
    (void)pMsg;
    return false;
  }
  virtual bool SendSysEx(ISysEx* pSysEx)
  {
    (void)pSysEx;
    return false;
  }
  // Hands every parameter's value to the attached editor (none: nothing).
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Resizes and zeroes every scratch buffer when blockSize differs from the current one.
  virtual void SetBlockSize(int blockSize);
  // How carefully the plug-in renders, 0 (kRenderQuality_Min) to 127 (kRenderQuality_Max), for
  // a plug-in that offers a choice; -1 (the default) when it offers none.
  virtual int GetRenderQuality() { return -1; }
  // Takes a quality from 0 to 127; false, and nothing changes, for one out of range or when the
  // plug-in offers no choice.
  virtual bool SetRenderQuality(int quality)
  {
    (void)quality;
    return false;
  }

  // --- identity and queries ---
  IParam* GetParam(int idx) { return mParams.Get(idx); }
  int NParams() const { return mParams.GetSize(); }
  int NPresets() const { return mPresets.GetSize(); }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  // The counts of layout idx (0 and 0 outside the list).
  void GetChannelIO(int idx, int* pNIn, int* pNOut) const;
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  IEditor* GetGUI() { return mGraphics; }
  // The identifier of the bundle the plug-in was loaded from ("" when the wrapper has none); the
  // editor's window system finds the plug-in's pictures through it.
  const char* GetBundleID() const { return mBundleID.Get(); }

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  // The vendor version, packed or as major * 10000 + minor * 100 + revision.
  int GetEffectVersion(bool decimal) const;
  // Writes "v%d.%d.%d" of the vendor version (at most 32 characters with terminator).
  void GetEffectVersionStr(char* str) const;
  // The host's version (after identifying the host), packed or decimal.
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* str);
  // Identifies the host from its name and stores its packed version.
  void SetHost(const char* host, int version);
  // "VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2" by GetAPI(); "" for anything else.
  const char* GetAPIString();
  static const char* GetArchString() { return "x64"; }

  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool IsBypassed() const { return mIsBypassed; }
  void SetBypassed(bool bypassed) { mIsBypassed = bypassed; }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  // Sample rate * 60 / tempo when the host reports a tempo above 0, else 0.
  double GetSamplesPerBeat();
  WDL_PtrList<const char>* GetParamGroups() { return &mParamGroups; }

  // --- channel layouts, connections and labels ---
  // Some layout matches both counts; a negative count matches any.
  bool LegalIO(int nIn, int nOut) const;
  // Inputs from index 2 on unconnected, outputs from index 2 on connected.
  void LimitToStereoIO();
  // Channels [first, first + n), clipped to the channel count, take the flag; a channel that becomes
  // unconnected reads (inputs) or writes (outputs) its own scratch buffer.
  void SetInputChannelConnections(int first, int n, bool connected);
  void SetOutputChannelConnections(int first, int n, bool connected);
  // Label of one channel record; indices outside the records do nothing.
  void SetInputLabel(int chIdx, const char* label);
  void SetOutputLabel(int chIdx, const char* label);
  // Label of bus 0 (main) or 1 (auxiliary); other indices do nothing.
  void SetInputBusLabel(int busIdx, const char* label);
  void SetOutputBusLabel(int busIdx, const char* label);
  // The label at that position of the bus-label list, or null.
  const WDL_String* GetInputBusLabel(int busIdx) const { return mInputBusLabels.Get(busIdx); }
  const WDL_String* GetOutputBusLabel(int busIdx) const { return mOutputBusLabels.Get(busIdx); }

  // --- processing frame (render thread; allocates nothing, takes no lock) ---
  // Every process and pass-through call handles at most block-size frames and runs with denormals
  // flushed to zero.
  // Each connected channel in [first, first + n) takes the next host buffer.
  void AttachInputBuffers(int first, int n, double** ppData, int nFrames);
  // Each connected channel converts nFrames floats from the next host buffer into its scratch buffer
  // and reads that; with nFrames <= 0 it reads its scratch buffer and no host buffer is used.
  void AttachInputBuffers(int first, int n, float** ppData, int nFrames);
  // Each connected channel writes straight into the next host buffer.
  void AttachOutputBuffers(int first, int n, double** ppData);
  // Each connected channel writes its scratch buffer, converted into the next host buffer afterwards.
  void AttachOutputBuffers(int first, int n, float** ppData);
  // Runs ProcessDoubleReplacing on the attached buffers (the first argument selects the overload).
  void ProcessBuffers(double sampleType, int nFrames);
  // The same, then converts every connected output into its host float buffer.
  void ProcessBuffers(float sampleType, int nFrames);
  // The same, adding the converted samples to the host buffers.
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  // The base ProcessDoubleReplacing on the attached buffers, bypassing any override.
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  // Zeroes block-size samples of every scratch buffer.
  void ZeroScratchBuffers();
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }

  // --- parameters ---
  // Calls OnParamChange for every parameter in order (the caller holds the mutex when needed).
  void OnParamReset();
  // Under the mutex: tells the host every parameter's normalized value.
  void DirtyParameters();
  // Sends every message in order; true only when every send succeeded.
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs);

  // --- state and presets ---
  // Appends every parameter's value as a double, in index order, under the mutex.
  bool SerializeParams(ByteChunk* pChunk);
  // Reads the values back from startPos (a missing value sets 0.0 clamped and stops), calls
  // OnParamChange for every parameter, and returns the position after the last value, or -1.
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  // Every slot: name length, name, initialized byte, and the state of an initialized slot.
  bool SerializePresets(ByteChunk* pChunk);
  // Reads the slots back (loading each initialized one through UnserializeState), then restores the
  // current preset; returns the position after the data, or -1.
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // Preset makers fill the first uninitialized slot; without one they do nothing.
  // nPresets slots holding the current state, named name ("Empty" when null).
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // One value per parameter: int for boolean, integer and enumerated parameters, double otherwise.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs (int index, value typed as in MakePreset); the others keep their current value.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  // sizeOfChunk bytes decoded from Base64 text, zero-padded; text beyond the size is ignored.
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  // Every free slot becomes a copy of the current state named "Empty".
  void EnsureDefaultPreset();
  // Removes every uninitialized slot.
  void PruneUninitializedPresets();
  // Loads slot idx (an uninitialized one captures the current state as a new user preset), makes it
  // current and refreshes the editor. False for an unknown index or a failed load.
  bool RestorePreset(int idx);
  // The first slot named exactly name; false for null, "" or no match.
  bool RestorePreset(const char* name);
  // The slot's name, or "" outside the list.
  const char* GetPresetName(int idx);
  // Stores the current state in the current slot and renames it when newName is not empty.
  void ModifyCurrentPreset(const char* newName = nullptr);

  // Clears pChunk and writes the framework version header.
  static void InitChunkWithIPlugVer(ByteChunk* pChunk);
  // The framework version from a header at *pPos (advancing past it), or 0 with *pPos unchanged
  // when there is no header (-1 when it is cut short).
  static int GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos);

  // --- program and bank files ---
  // Writes the current program / all slots; false for an empty path or a failed write (then no file
  // is left behind and an existing one is untouched).
  bool SaveProgramAsFXP(WDL_String* pFileName);
  bool SaveBankAsFXB(WDL_String* pFileName);
  // Loads a program into the current slot / a bank into the slots, after checking every field the
  // loader relies on; false (nothing changed) for a file that does not belong to this plug-in.
  bool LoadProgramFromFXP(WDL_String* pFileName);
  bool LoadBankFromFXB(WDL_String* pFileName);
  // Writes the current values as a MakePresetFromNamedParams call with the given parameter names.
  bool DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[]);
  // Writes the current preset / every slot as MakePresetFromBlob calls; false (0 for the bank) when
  // the file cannot be opened.
  bool DumpPresetBlob(const char* fileName);
  int DumpBankBlob(const char* fileName);

  // Taken by every host entry, the editor's parameter changes and state serialization.
  WDL_Mutex mMutex;

  struct ChannelIO
  {
    int mIn, mOut;
    ChannelIO(int nIn, int nOut) : mIn(nIn), mOut(nOut) {}
  };

  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr;  // entry of the input pointer array
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr;  // entry of the output pointer array
    float* mFDest = nullptr;
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

protected:
  // Records the bundle identifier the wrapper was given.
  void SetBundleID(const char* bundleID) { mBundleID.Set(bundleID); }
  // The base's pass-through, reachable while an override is in place.
  void PassThrough(double** inputs, double** outputs, int nFrames);
  // nFrames held to 0 ... block size: no processing call reaches past a scratch buffer.
  int FramesToProcess(int nFrames) const;
  // Converts every connected output into its host float buffer, replacing or adding.
  void ConvertOutputs(int nFrames, bool accumulate);
  // Fills the first uninitialized slot with a copy of pState and names it; false when none is free
  // (or memory ran out, leaving the slot uninitialized).
  bool StorePreset(const char* name, const ByteChunk* pState);
  // Under the mutex: the current program / every slot as a program / bank file's bytes, appended
  // to pImage; false when memory ran out. The caller writes them after the mutex is released.
  bool MakeProgramImage(ByteChunk* pImage);
  bool MakeBankImage(ByteChunk* pImage);

  WDL_PtrList<ChannelIO> mChannelIO;
  char mEffectName[MAX_EFFECT_NAME_LEN], mProductName[MAX_EFFECT_NAME_LEN], mMfrName[MAX_EFFECT_NAME_LEN];
  int mUniqueID, mMfrID, mVersion;
  EAPI mAPI;
  EHost mHost;
  int mHostVersion;
  bool mStateChunks, mIsInst, mDoesMIDI, mIsBypassed;
  int mCurrentPresetIdx;
  double mSampleRate;
  int mBlockSize, mLatency, mTailSize;
  WDL_PtrList<const char> mParamGroups;
  IEditor* mGraphics;
  WDL_String mBundleID;
  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;
  WDL_TypedBuf<double*> mInData, mOutData;
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
  WDL_PtrList<WDL_String> mInputBusLabels, mOutputBusLabels;
};

// The first slot whose initialized flag is false, or null.
IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* pPresets);
// "user preset N" with N one more than the number of slots whose name contains "user preset"
// (pName holds MAX_PRESET_NAME_LEN characters).
void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* pPresets, char* pName);
