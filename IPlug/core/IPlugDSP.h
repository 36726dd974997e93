#pragma once
// The plain wrapper: a plug-in built on the base alone, with no host interface and no editor. A
// program (a benchmark, a fuzz target, a test) drives it directly: SetSampleRate, OnParamReset,
// ProcessDoubleReplacing, the state and preset calls.

#include "IPlugBase.h"
#include "base/wdlstring.h"

// What a plain build is told about itself: the bundle it belongs to, when there is one.
struct IPlugInstanceInfo
{
  WDL_String mBundleID;
};

class IPlugDSP : public IPlugBase
{
public:
  // The base's construction with the same arguments as the host wrappers take; the side-chain
  // channel count is not used.
  IPlugDSP(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
           const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans)
      : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA)
  {
    (void)plugScChans;
    SetBundleID(instanceInfo.mBundleID.Get());
  }
};
