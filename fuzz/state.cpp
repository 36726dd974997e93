// UnserializeState and UnserializePresets on arbitrary chunks: no read outside the chunk, every
// parameter stays inside its range, and what loads can be saved and loaded again unchanged.
#include "FuzzInput.h"
#include "KelvoPlug.h"
#include "ByteChunk.h"

#include <cmath>

namespace {
void RequireParamsInRange(Kelvo& plug)
{
  for (int i = 0; i < plug.NParams(); ++i) {
    IParam* p = plug.GetParam(i);
    Require(p->Value() >= p->GetMin() && p->Value() <= p->GetMax(), "a loaded parameter lies inside its range");
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const bool presets = in.TakeBool();
  const int startPos = in.TakeInt(-2, 16);
  std::vector<uint8_t> bytes = in.Rest();
  ByteChunk chunk;
  if (!bytes.empty()) chunk.AppendBytes(bytes.data(), (int)bytes.size());

  std::unique_ptr<Kelvo> plug = MakeKelvo();
  const int pos = presets ? plug->UnserializePresets(&chunk, startPos) : plug->UnserializeState(&chunk, startPos);
  Require(pos <= chunk.Size(), "the reader ends inside the chunk or says it ran out");
  RequireParamsInRange(*plug);
  Require(plug->GetCurrentPresetIdx() >= 0 && plug->GetCurrentPresetIdx() < plug->NPresets(),
          "the current preset is a slot");

  // A state that loaded saves to bytes that load back to the same state.
  ByteChunk saved, again;
  Require(plug->SerializeState(&saved), "the state saves");
  std::unique_ptr<Kelvo> other = MakeKelvo();
  Require(other->UnserializeState(&saved, 0) == saved.Size(), "a saved state loads whole");
  Require(other->SerializeState(&again) && again.IsEqual(saved), "a state loaded is the state saved");
  if (presets) {
    ByteChunk bank;
    Require(plug->SerializePresets(&bank), "the slots save");
    Require(other->UnserializePresets(&bank, 0) == bank.Size(), "saved slots load whole");
  }
  return 0;
}
