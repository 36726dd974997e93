// MakePresetFromBlob with arbitrary text and sizes: the slot holds exactly the size asked for
// (or nothing for a refused size), and restoring it leaves sound values.
#include "FuzzInput.h"
#include "Require.h"
#include "SmallPlug.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const int sizeOfChunk = in.TakeInt(-4, 1 << 16);
  const std::string name = in.TakeString(100);
  const std::string blob = in.TakeString(1 << 12);

  SmallPlug plug(in.TakeBool());
  plug.MakePresetFromBlob(name.c_str(), blob.c_str(), sizeOfChunk);
  if (sizeOfChunk >= 0) {
    Require(plug.NPresets() == 3 && strlen(plug.GetPresetName(1)) < MAX_PRESET_NAME_LEN, "the blob fills slot 1");
    plug.RestorePreset(1);
  }
  Require(plug.Sound(), "a restored blob leaves every value in range");
  return 0;
}
