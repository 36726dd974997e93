#pragma once
// A plain plug-in with one parameter of each kind and three preset slots, the first filled, to
// load program files, banks and preset blobs into.

#include "ByteChunk.h"
#include "IPlugBase.h"

class SmallPlug : public IPlugBase
{
public:
  static const int kUniqueID = 0x536D6C31;  // 'Sml1'

  explicit SmallPlug(bool chunks)
      : IPlugBase(4, "2-2", 3, "Small", "", "Tests", 0x10203, kUniqueID, 0x54657374, 0, false, chunks, false, kAPIAU)
  {
    GetParam(0)->InitDouble("Gain", -6.0, -40.0, 6.0, 0.01, "dB");
    GetParam(1)->InitInt("Steps", 2, 0, 7);
    GetParam(2)->InitBool("On", true);
    GetParam(3)->InitEnum("Mode", 1, 3);
    MakeDefaultPreset("start", 1);
  }

  // Every slot and the current values, as bytes: equal bytes mean nothing changed.
  ByteChunk Snapshot()
  {
    ByteChunk all;
    SerializePresets(&all);
    SerializeState(&all);
    all.AppendValue(GetCurrentPresetIdx());
    return all;
  }
  // Every parameter inside its range and a current slot that exists.
  bool Sound()
  {
    for (int i = 0; i < NParams(); ++i) {
      IParam* p = GetParam(i);
      if (!(p->Value() >= p->GetMin() && p->Value() <= p->GetMax())) return false;
    }
    return GetCurrentPresetIdx() >= 0 && GetCurrentPresetIdx() < NPresets();
  }
};
