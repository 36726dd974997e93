// Host look-up, version helpers, MIDI and SysEx records, Base64.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Base64.h"
#include "Hosts.h"
#include "IMidiMsg.h"
#include "IPlugStructs.h"
#include "Log.h"

namespace {

TEST(Hosts, LookUpIgnoresCaseAndTakesTheFirstTextInSearchOrder)
{
  const struct
  {
    const char* name;
    EHost host;
  } cases[] = {
      {"", kHostUnknown},
      {nullptr, kHostUnknown},
      {"REAPER64", kHostReaper},
      {"Digital Performer", kHostDigitalPerformer},
      {"Melodyne", kHostMelodyneStudio},
      {"Cubase Live Edition", kHostCubase},
      {"com.apple.logic10", kHostLogic},
      {"com.example.liveset", kHostAbletonLive},
      {"Studio One by PreSonus", kHostStudioOne},
      {"auLab", kHostAULab},
      {"Some Editor", kHostUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(LookUpHost(c.name), c.host) << (c.name ? c.name : "(null)");
  // Only the first 255 characters are searched.
  EXPECT_EQ(LookUpHost((std::string(255, ' ') + "reaper").c_str()), kHostUnknown);
  EXPECT_EQ(LookUpHost((std::string(249, ' ') + "reaper").c_str()), kHostReaper);
}

TEST(Hosts, NamesVersionsAndTrace)
{
  const struct
  {
    int host;
    const char* name;
  } names[] = {
      {kHostDigitalPerformer, "DigitalPerformer"},
      {kHostMelodyneStudio, "Unknown"},
      {kHostSonar, "Sonar"},
      {kHostOpenMPT, "OpenMPT"},
      {kHostUnnamed10, "Unknown"},
      {kHostUninit, "Unknown"},
      {31, "Unknown"},
      {kHostVegas, "Vegas"},
  };
  char str[32];
  for (const auto& c : names) {
    GetHostNameStr((EHost)c.host, str);
    EXPECT_STREQ(str, c.name) << c.host;
  }
  EXPECT_EQ(GetDecimalVersion(0x10000), 10000);
  EXPECT_EQ(GetDecimalVersion(0x0A0B0C), 101112);
  GetVersionStr(0x10203, str);
  EXPECT_STREQ(str, "v1.2.3");
  int major, minor, revision;
  GetVersionParts((int)0xFFFF0102u, &major, &minor, &revision);
  EXPECT_EQ(major, 65535);
  EXPECT_EQ(minor, 1);
  EXPECT_EQ(revision, 2);
  Trace(TRACELOC, "%d %s", 1, "x");
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(AUPropertyStr(1), "");
  EXPECT_STREQ(AUScopeStr(1), "");
  EXPECT_STREQ(VSTOpcodeStr(1), "");
}

TEST(Midi, BuildersAndReaders)
{
  IMidiMsg m(5, 0xFF, 1, 2);
  m.MakeNoteOnMsg(60, 0, 12, 3);
  EXPECT_EQ(m.mStatus, 0x93);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOn);  // velocity 0 stays a note-on
  EXPECT_EQ(m.Channel(), 3);
  EXPECT_EQ(m.NoteNumber(), 60);
  EXPECT_EQ(m.Velocity(), 0);
  EXPECT_EQ(m.mOffset, 12);
  EXPECT_EQ(m.Program(), -1);
  EXPECT_EQ(m.PitchWheel(), 0.0);

  m.MakeNoteOffMsg(61, 4, 15);
  EXPECT_EQ(m.mStatus, 0x8F);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.Velocity(), 0);

  m.MakeControlChangeMsg(IMidiMsg::kChannelVolume, 0.5, 1);
  EXPECT_EQ(m.mStatus, 0xB1);
  EXPECT_EQ(m.mData2, 63);
  EXPECT_EQ(m.mOffset, 0);
  EXPECT_EQ(m.ControlChangeIdx(), IMidiMsg::kChannelVolume);
  EXPECT_DOUBLE_EQ(m.ControlChange(IMidiMsg::kChannelVolume), 63 / 127.0);
  EXPECT_EQ(m.ControlChange(IMidiMsg::kModWheel), -1.0);
  EXPECT_EQ(m.NoteNumber(), -1);

  const struct
  {
    uint8_t status, d1, d2;
    IMidiMsg::EStatusMsg kind;
    int poly, chanAT, program;
  } readers[] = {
      {0xA2, 40, 90, IMidiMsg::kPolyAftertouch, 90, -1, -1},
      {0xD0, 33, 0, IMidiMsg::kChannelAftertouch, -1, 33, -1},
      {0xC5, 7, 0, IMidiMsg::kProgramChange, -1, -1, 7},
      {0xF7, 1, 2, IMidiMsg::kNone, -1, -1, -1},
      {0x35, 1, 2, IMidiMsg::kNone, -1, -1, -1},
  };
  for (const auto& c : readers) {
    const IMidiMsg r(0, c.status, c.d1, c.d2);
    EXPECT_EQ(r.StatusMsg(), c.kind) << (int)c.status;
    EXPECT_EQ(r.PolyAfterTouch(), c.poly) << (int)c.status;
    EXPECT_EQ(r.ChannelAfterTouch(), c.chanAT) << (int)c.status;
    EXPECT_EQ(r.Program(), c.program) << (int)c.status;
    EXPECT_EQ(r.Channel(), c.status & 0x0F) << (int)c.status;
  }
  m.Clear();
  EXPECT_EQ(m.mStatus | m.mData1 | m.mData2 | m.mOffset, 0);
}

TEST(Midi, PitchWheelIsClampedAndReadsBack)
{
  const struct
  {
    double value;
    int d1, d2;
    double back;
  } cases[] = {
      {0.0, 0, 64, 0.0},    {1.0, 127, 127, 8191.0 / 8192.0},
      {-1.0, 0, 0, -1.0},   {5.0, 127, 127, 8191.0 / 8192.0},
      {-1e300, 0, 0, -1.0}, {0.5, 0, 96, 0.5},
  };
  for (const auto& c : cases) {
    IMidiMsg m;
    m.MakePitchWheelMsg(c.value, 2);
    EXPECT_EQ(m.mStatus, 0xE2) << c.value;
    EXPECT_EQ(m.mData1, c.d1) << c.value;
    EXPECT_EQ(m.mData2, c.d2) << c.value;
    EXPECT_DOUBLE_EQ(m.PitchWheel(), c.back) << c.value;
  }
}

TEST(Midi, TextsAndSysEx)
{
  const struct
  {
    int kind;
    const char* name;
  } names[] = {{0, "none"},
               {8, "noteoff"},
               {9, "noteon"},
               {10, "aftertouch"},
               {11, "controlchange"},
               {12, "programchange"},
               {13, "channelaftertouch"},
               {14, "pitchwheel"},
               {3, "unknown"},
               {15, "unknown"}};
  for (const auto& c : names) EXPECT_STREQ(IMidiMsg::StatusMsgStr((IMidiMsg::EStatusMsg)c.kind), c.name) << c.kind;

  const uint8_t data[] = {0xF0, 0x7E, 0x0A};
  const struct
  {
    int bufLen, size;
    const uint8_t* data;
    const char* expect;
  } cases[] = {
      {7, 3, data, "F0 7E"}, {9, 3, data, "F0 7E 0A"}, {64, 3, data, "F0 7E 0A"},
      {64, 0, data, ""},     {64, 3, nullptr, ""},     {2, 3, data, ""},
  };
  for (const auto& c : cases) {
    char buf[64];
    memset(buf, 'z', sizeof(buf));
    EXPECT_STREQ(SysExStr(buf, c.bufLen, c.data, c.size), c.expect) << c.bufLen;
  }
  ISysEx s(3, data, 3);
  s.Clear();
  EXPECT_EQ(s.mOffset + s.mSize, 0);
  EXPECT_EQ(s.mData, nullptr);
}

TEST(Base64, EncodesPadsAndDecodesBack)
{
  const struct
  {
    std::string bytes;
    const char* text;
  } cases[] = {
      {"", ""},
      {"\x01", "AQ=="},
      {"\x01\x02", "AQI="},
      {"\x01\x02\x03", "AQID"},
      {"\xff\xfe\xfd\xfc", "//79/A=="},
      {"Kelvo", "S2Vsdm8="},
  };
  for (const auto& c : cases) {
    WDL_String text("old");
    ASSERT_TRUE(Base64Encode((const uint8_t*)c.bytes.data(), (int)c.bytes.size(), &text));
    EXPECT_STREQ(text.Get(), c.text) << c.text;
    uint8_t back[16] = {};
    EXPECT_EQ(Base64Decode(c.text, back, (int)sizeof(back)), (int)c.bytes.size()) << c.text;
    EXPECT_EQ(std::string((const char*)back, c.bytes.size()), c.bytes) << c.text;
  }
  uint8_t two[2];
  EXPECT_EQ(Base64Decode("AQIDBA", two, 2), 2);
  EXPECT_EQ(Base64Decode(nullptr, two, 2), 0);
}

TEST(IRECT, ContainsIntersectsIntersectionAndUnion)
{
  const IRECT empty, a(0, 0, 10, 10), b(5, 5, 15, 15), right(10, 0, 20, 10), far(30, 30, 40, 40);
  const struct
  {
    IRECT r, o;
    bool intersects;
    IRECT common, joined;
  } cases[] = {
      {a, b, true, IRECT(5, 5, 10, 10), IRECT(0, 0, 15, 15)},
      {a, right, true, IRECT(10, 0, 10, 10), IRECT(0, 0, 20, 10)},  // touching on a's right side counts
      {right, a, false, IRECT(), IRECT(0, 0, 20, 10)},              // but not on its left
      {a, far, false, IRECT(), IRECT(0, 0, 40, 40)},
      {empty, a, false, IRECT(), a},
      {a, empty, false, IRECT(), a},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.r.Intersects(c.o), c.intersects) << c.o.L;
    EXPECT_EQ(c.r.Intersect(c.o), c.common) << c.o.L;
    EXPECT_EQ(c.r.Union(c.o), c.joined) << c.o.L;
  }
  EXPECT_TRUE(a.Contains(0, 0));
  EXPECT_TRUE(a.Contains(9, 9));
  EXPECT_FALSE(a.Contains(10, 5));
  EXPECT_FALSE(empty.Contains(0, 0));
  EXPECT_EQ(b.W(), 10);
  EXPECT_EQ(b.H(), 10);
}

}  // namespace
