// LoadProgramFromFXP and LoadBankFromFXB on arbitrary files, into plug-ins with and without
// state chunks. A refused file changes nothing; whatever loads leaves sound values.
#include "FuzzInput.h"
#include "Require.h"
#include "SmallPlug.h"

#include <cstdio>
#include <unistd.h>

namespace {
// Program and bank files mostly start with the right header, so the loaders get past it.
void PutHeader(std::vector<uint8_t>& file, bool bank, bool chunks)
{
  auto be = [&](uint32_t v, size_t at) {
    for (int i = 0; i < 4; ++i) file[at + i] = (uint8_t)(v >> (24 - 8 * i));
  };
  if (file.size() < 24) return;
  be(0x43636E4B, 0);  // 'CcnK'
  be(bank ? (chunks ? 0x46424368 : 0x46784268) : (chunks ? 0x46504368 : 0x4678436B), 8);
  if (!bank) be(1, 12);
  be(SmallPlug::kUniqueID, 16);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const uint8_t mode = in.Take<uint8_t>();
  const bool bank = mode & 1, chunks = mode & 2;
  std::vector<uint8_t> file = in.Rest();
  if (mode & 4) PutHeader(file, bank, chunks);

  static const std::string path = "/tmp/kelvo-fuzz-files-" + std::to_string(getpid());
  FILE* f = fopen(path.c_str(), "wb");
  Require(f != nullptr, "the scratch file opens");
  if (!file.empty()) fwrite(file.data(), 1, file.size(), f);
  fclose(f);

  SmallPlug plug(chunks);
  // A second slot with other values, so that a load that touches slots shows.
  plug.GetParam(0)->Set(-12.0);
  plug.RestorePreset(1);
  const ByteChunk before = plug.Snapshot();
  WDL_String name(path.c_str());
  const bool loaded = bank ? plug.LoadBankFromFXB(&name) : plug.LoadProgramFromFXP(&name);
  Require(plug.Sound(), "a load leaves every value in range and a current slot");
  if (!loaded) Require(plug.Snapshot().IsEqual(before), "a refused program or bank changes nothing");
  return 0;
}
