#pragma once
// A plug-in built on the base for tests: it records the hooks the base calls, and can stand in a
// processing hook of its own.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "IPlugBase.h"

namespace core_test {

constexpr int kUniqueID = 0x4B656C31;  // 'Kel1'
constexpr int kMfrID = 0x516C6D68;     // 'Qlmh'

class TestPlug : public IPlugBase
{
public:
  explicit TestPlug(int nParams = 4, const char* channelIO = "1-1 2-2", int nPresets = 1, bool chunks = false,
                    const char* name = "Kelvo")
      : IPlugBase(nParams, channelIO, nPresets, name, "", "Quillmarsh", 0x10000, kUniqueID, kMfrID, 0, false, chunks,
                  false, kAPIAU)
  {
  }

  // The product's four parameters, in the product's order of initialisation.
  void InitProductParams()
  {
    GetParam(3)->InitInt("Bypass", 0, 0, 1);
    GetParam(2)->InitDouble("GainL", 0.3, 0.05, 0.98, 0.01);
    GetParam(1)->InitDouble("GainM", 0.7, 0.0, 1.0, 0.01);
    GetParam(0)->InitDouble("OUT", -15.0, -40.0, 0.0, 0.01);
  }

  void OnParamChange(int idx) override { paramChanges.push_back(idx); }
  void InformHostOfParamChange(int idx, double normalized) override { hostChanges.emplace_back(idx, normalized); }
  void InformHostOfProgramChange() override { ++programChanges; }
  void PresetsChangedByHost() override { ++presetsChanged; }
  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    sent.push_back(*pMsg);
    return sendResult(*pMsg);
  }
  void ProcessDoubleReplacing(double** in, double** out, int n) override
  {
    if (process)
      process(in, out, n);
    else
      IPlugBase::ProcessDoubleReplacing(in, out, n);
  }

  // Current values of all parameters.
  std::vector<double> Values()
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) v.push_back(GetParam(i)->Value());
    return v;
  }
  void SetValues(const std::vector<double>& v)
  {
    for (int i = 0; i < NParams() && i < (int)v.size(); ++i) GetParam(i)->Set(v[i]);
  }
  IPreset* Preset(int i) { return mPresets.Get(i); }
  InChannel* In(int i) { return mInChannels.Get(i); }
  OutChannel* Out(int i) { return mOutChannels.Get(i); }
  double** InData() { return mInData.Get(); }
  double** OutData() { return mOutData.Get(); }
  void SetCurrentPresetIdxForTest(int idx) { mCurrentPresetIdx = idx; }

  std::vector<int> paramChanges;
  std::vector<std::pair<int, double>> hostChanges;
  int programChanges = 0, presetsChanged = 0;
  std::vector<IMidiMsg> sent;
  std::function<bool(const IMidiMsg&)> sendResult = [](const IMidiMsg&) { return true; };
  std::function<void(double**, double**, int)> process;
};

}  // namespace core_test
