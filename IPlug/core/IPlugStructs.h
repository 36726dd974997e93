#pragma once
// Records shared by the plug-in base, its host wrappers and the editor.

#include "ByteChunk.h"
#include "IMidiMsg.h"
#include "IPlugText.h"

#define MAX_EFFECT_NAME_LEN 128
#define MAX_PRESET_NAME_LEN 256

// Plug-in interface the instance is built for.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPISA = 5, kAPILV2 = 6 };

// Integer rectangle; right and bottom are exclusive; all zero is empty.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * (float)(L + R); }
  float MH() const { return 0.5f * (float)(T + B); }

  // Not empty, L <= x < R and T <= y < B.
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // Neither empty and they overlap; an edge that only touches counts on this one's right and bottom.
  bool Intersects(const IRECT& o) const { return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B; }
  // The common part, or the empty rectangle when they do not intersect.
  IRECT Intersect(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(L > o.L ? L : o.L, T > o.T ? T : o.T, R < o.R ? R : o.R, B < o.B ? B : o.B);
  }
  // The smallest rectangle holding both; an empty one does not count.
  IRECT Union(const IRECT& o) const
  {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(L < o.L ? L : o.L, T < o.T ? T : o.T, R > o.R ? R : o.R, B > o.B ? B : o.B);
  }
};

// Transport as the host reports it. The wrapper overwrites only what the host supplies.
struct ITimeInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// One preset slot: a name and the state bytes that SerializeState wrote.
struct IPreset
{
  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN];
  ByteChunk mChunk;

  IPreset() { SetName("empty"); }
  // Copies name, cut to the field.
  void SetName(const char* name) { CopyText(mName, MAX_PRESET_NAME_LEN, name); }
};
