// Kelvo, a stereo fuzz effect: each channel runs through a model of the fuzz circuit whose
// control glides toward the "GainL" setting, then the "OUT" level and a fixed +25 dB make-up
// gain. "Bypass" copies input to output.
#pragma once

#include "IPlug_include_in_plug_hdr.h"
#include "Kelvo/KelvoCircuit.h"

// Parameter indices.
enum EKelvoParam {
  kOut = 0,  // output level in dB
  kGainM,    // kept, not used by the sound
  kGainL,    // the circuit control is 1 - GainL
  kBypass,   // 0 process, 1 copy input to output
  kNumParams
};

class Kelvo : public IPlug
{
public:
  // Fixes the identity, initialises the parameters, attaches the editor (in builds with one) and
  // makes the one preset, "-".
  explicit Kelvo(IPlugInstanceInfo instanceInfo);
  ~Kelvo() override;

  // Takes the instance mutex and changes nothing: the circuit keeps its history, its control
  // and its coefficients.
  void Reset() override;
  // Maps a parameter to the value the signal path reads: "OUT" to a linear gain, "GainL" and
  // "GainM" as they are; a value that is not a number leaves the previous one in place.
  void OnParamChange(int paramIdx) override;
  // Both inputs through both channels into both outputs (bypassed: copied), n frames.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // The render quality, 0 ... 127, the host chose (0 at first): below 64 the standard path,
  // 64 ... 126 the high one, 127 the best (KelvoCircuit::Quality). Changing the path changes the
  // latency, which the host is told of.
  int GetRenderQuality() override;
  bool SetRenderQuality(int quality) override;
  // The circuit's quality for a render quality from 0 to 127.
  static KelvoCircuit::Quality CircuitQuality(int renderQuality);

  // The values OnParamChange has set, and the signal path, for inspection.
  double OutputGain() const { return mOutputGain; }
  double ControlTarget() const { return mGainL; }
  double StoredGainM() const { return mGainM; }
  const KelvoCircuit& Circuit() const { return mCircuit; }

private:
  // The "Bypass" value truncated to an integer; -1 for a value that is not a small number.
  int BypassMode();

  double mOutputGain;
  double mGainL;
  double mGainM;
  int mRenderQuality;
  KelvoCircuit mCircuit;
};
