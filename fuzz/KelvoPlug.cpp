#include "KelvoPlug.h"

std::unique_ptr<Kelvo> MakeKelvo()
{
  IPlugInstanceInfo info;
  info.mBundleID.Set("com.Quillmarsh.audiounit.Kelvo");
  std::unique_ptr<Kelvo> plug(new Kelvo(info));
  plug->SetSampleRate(44100.0);
  plug->OnParamReset();
  return plug;
}
