#include "Kelvo.h"

#ifdef IPLUG_EDITOR
#include "KelvoEditor.h"
#endif

#include <cmath>
#include <cstring>

#include "base/fourcc.h"

namespace {
constexpr double kOutDefault = -15.0, kGainMDefault = 0.7, kGainLDefault = 0.3;
}  // namespace

Kelvo::Kelvo(IPlugInstanceInfo instanceInfo)
    : IPlug(instanceInfo, kNumParams, "1-1 2-2", 1, "Kelvo", "", "Quillmarsh", 0x10000, FourCC("Kel1"), FourCC("Qlmh"),
            0, false, false, false, 0),
      mOutputGain(std::pow(10.0, kOutDefault / 20.0)),
      mGainL(kGainLDefault),
      mGainM(kGainMDefault),
      mRenderQuality(0)
{
  GetParam(kBypass)->InitInt("Bypass", 0, 0, 1, "", "");
  GetParam(kGainL)->InitDouble("GainL", kGainLDefault, 0.05, 0.98, 0.01, "", "", 1.0);
  GetParam(kGainL)->SetShape(1.0);
  GetParam(kGainM)->InitDouble("GainM", kGainMDefault, 0.0, 1.0, 0.01, "", "", 1.0);
  GetParam(kGainM)->SetShape(1.0);
  GetParam(kOut)->InitDouble("OUT", kOutDefault, -40.0, 0.0, 0.01, "", "", 1.0);
  GetParam(kOut)->SetShape(1.0);
#ifdef IPLUG_EDITOR
  AttachKelvoEditor(this);
#endif
  MakeDefaultPreset("-", 1);
}

Kelvo::~Kelvo() {}

void Kelvo::Reset() { WDL_MutexLock lock(&mMutex); }

void Kelvo::OnParamChange(int paramIdx)
{
  WDL_MutexLock lock(&mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double value = param->Value();
  if (std::isnan(value)) return;
  switch (paramIdx) {
    case kOut:
      mOutputGain = std::pow(10.0, value / 20.0);
      break;
    case kGainM:
      mGainM = value;
      break;
    case kGainL:
      mGainL = value;
      break;
    default:
      break;
  }
}

KelvoCircuit::Quality Kelvo::CircuitQuality(int renderQuality)
{
  if (renderQuality >= 127) return KelvoCircuit::kBest;
  return renderQuality >= 64 ? KelvoCircuit::kHigh : KelvoCircuit::kStandard;
}

int Kelvo::GetRenderQuality()
{
  WDL_MutexLock lock(&mMutex);
  return mRenderQuality;
}

bool Kelvo::SetRenderQuality(int quality)
{
  if (quality < 0 || quality > 127) return false;
  WDL_MutexLock lock(&mMutex);
  mRenderQuality = quality;
  const KelvoCircuit::Quality path = CircuitQuality(quality);
  mCircuit.SetQuality(path);
  const int latency = KelvoCircuit::Latency(path);
  if (latency != GetLatency()) SetLatency(latency);
  return true;
}

int Kelvo::BypassMode()
{
  const double value = GetParam(kBypass)->Value();
  return value > -1.0 && value < 2.0 ? static_cast<int>(value) : -1;
}

void Kelvo::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const double sampleRate = GetSampleRate();
  const int bypass = BypassMode();
  if (bypass == 0) {
    mCircuit.Render(inputs, outputs, nFrames, sampleRate, mGainL, mOutputGain);
    return;
  }
  mCircuit.Glide(nFrames, sampleRate, mGainL);
  if (bypass == 1) {
    for (int c = 0; c < 2; ++c) {
      if (outputs[c] != inputs[c]) std::memmove(outputs[c], inputs[c], nFrames * sizeof(double));
    }
  }
}
