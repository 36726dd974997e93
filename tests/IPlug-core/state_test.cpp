// State chunks, the preset list and the preset makers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "IPlugVersion.h"
#include "core_fixture.h"

namespace {
using core_test::TestPlug;

std::vector<uint8_t> Bytes(const ByteChunk& c) { return std::vector<uint8_t>(c.GetBytes(), c.GetBytes() + c.Size()); }

std::vector<double> Doubles(const ByteChunk& c)
{
  std::vector<double> v(c.Size() / 8);
  if (!v.empty()) memcpy(v.data(), c.GetBytes(), v.size() * 8);
  return v;
}

ByteChunk ChunkOf(const std::vector<double>& v)
{
  ByteChunk c;
  for (double d : v) c.AppendValue(d);
  return c;
}

TEST(ByteChunk, LittleEndianValuesWithoutPadding)
{
  ByteChunk c;
  c.AppendValue((int)0x01020304);
  c.AppendValue(true);
  c.AppendValue(1.0);
  c.AppendString("ab");
  c.AppendString(nullptr);
  EXPECT_EQ(Bytes(c),
            std::vector<uint8_t>({4, 3, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0}));

  int i = 0;
  bool b = false;
  double d = 0;
  WDL_String s("keep");
  int pos = c.ReadValue(&i, 0);
  pos = c.ReadValue(&b, pos);
  pos = c.ReadValue(&d, pos);
  pos = c.ReadString(&s, pos);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_TRUE(b);
  EXPECT_EQ(d, 1.0);
  EXPECT_STREQ(s.Get(), "ab");
  pos = c.ReadString(&s, pos);
  EXPECT_EQ(pos, c.Size());
  EXPECT_STREQ(s.Get(), "");
  // Past the end: -1 and nothing touched; a negative position reads nothing.
  EXPECT_EQ(c.ReadValue(&d, c.Size() - 7), -1);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(c.ReadValue(&i, -1), -1);
  s.Set("keep");
  EXPECT_EQ(c.ReadString(&s, c.Size() - 3), -1);
  EXPECT_STREQ(s.Get(), "keep");
}

TEST(ByteChunk, ReadStringRefusesBadLengthsAndCutsAtZero)
{
  struct Case
  {
    int len;
    std::vector<uint8_t> payload;
    int expectPos;
    const char* expect;
  };
  const Case cases[] = {
      {3, {'a', 0, 'c'}, 7, "a"},
      {4, {'a', 'b'}, -1, "old"},
      {-2, {'a', 'b'}, -1, "old"},
      {0, {}, 4, ""},
  };
  for (const Case& c : cases) {
    ByteChunk chunk;
    chunk.AppendValue(c.len);
    chunk.AppendBytes(c.payload.data(), (int)c.payload.size());
    WDL_String s("old");
    EXPECT_EQ(chunk.ReadString(&s, 0), c.expectPos) << c.len;
    EXPECT_STREQ(s.Get(), c.expect) << c.len;
  }
  ByteChunk c;
  c.AppendValue(7.0);
  EXPECT_EQ(c.Resize(12), 12);
  EXPECT_EQ(Bytes(c).back(), 0);
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetBytes(), nullptr);
}

TEST(State, SerializeParamsWritesEveryValueAsADouble)
{
  TestPlug plug;
  plug.InitProductParams();
  plug.GetParam(3)->Set(1);
  ByteChunk c;
  ASSERT_TRUE(plug.SerializeState(&c));
  EXPECT_EQ(c.Size(), 32);
  EXPECT_EQ(Doubles(c), std::vector<double>({-15.0, 0.7, 0.3, 1.0}));
  TestPlug none(0);
  ByteChunk empty;
  EXPECT_TRUE(none.SerializeState(&empty));
}

TEST(State, UnserializeParamsClampsAndStopsAtTheFirstMissingValue)
{
  struct Case
  {
    const char* what;
    ByteChunk chunk;
    int start, expectPos;
    std::vector<double> expect;
  };
  ByteChunk twelve = ChunkOf({-6.0});
  twelve.AppendValue((int)7);
  std::vector<Case> cases;
  cases.push_back({"whole", ChunkOf({-6, 0.2, 0.5, 1}), 0, 32, {-6, 0.2, 0.5, 1}});
  cases.push_back({"12 bytes", std::move(twelve), 0, -1, {-6, 0.0, 0.4, 0.0}});
  cases.push_back({"beyond range", ChunkOf({5, -3, 100, -1}), 0, 32, {0, 0, 0.98, 0}});
  cases.push_back({"offset", ChunkOf({1, -6, 0.2, 0.5, 1}), 8, 40, {-6, 0.2, 0.5, 1}});
  cases.push_back({"negative start", ChunkOf({-6, 0.2, 0.5, 1}), -1, -1, {-20, 0.6, 0.4, 0}});
  for (Case& c : cases) {
    TestPlug plug;
    plug.InitProductParams();
    plug.SetValues({-20, 0.6, 0.4, 0});
    EXPECT_EQ(plug.UnserializeState(&c.chunk, c.start), c.expectPos) << c.what;
    const std::vector<double> v = plug.Values();
    for (size_t i = 0; i < v.size(); ++i) EXPECT_DOUBLE_EQ(v[i], c.expect[i]) << c.what << " " << i;
    EXPECT_EQ(plug.paramChanges, std::vector<int>({0, 1, 2, 3})) << c.what;
  }
}

TEST(State, CompareStateNarrowsToFloat)
{
  TestPlug plug;
  plug.InitProductParams();
  struct Case
  {
    std::vector<double> data;
    int start;
    bool equal;
  };
  const Case cases[] = {
      {{-15.0, 0.7, 0.3, 0.0}, 0, true},         {{-15.0, 0.7 + 4e-6, 0.3 - 4e-6, 0.0}, 0, true},
      {{-15.0, 0.7 + 2e-5, 0.3, 0.0}, 0, false}, {{9.0, -15.0, 0.7, 0.3, 0.0}, 1, true},
      {{-15.0, 0.7, 0.3, 1.0}, 0, false},
  };
  for (const Case& c : cases) {
    ByteChunk chunk = ChunkOf(c.data);
    EXPECT_EQ(plug.CompareState(chunk.GetBytes(), c.start), c.equal) << c.data[1];
  }
  TestPlug none(0);
  EXPECT_TRUE(none.CompareState(nullptr, 0));
}

TEST(State, VersionHeader)
{
  ByteChunk c;
  c.AppendValue(1.0);
  IPlugBase::InitChunkWithIPlugVer(&c);
  EXPECT_EQ(Bytes(c), std::vector<uint8_t>({'t', 'f', 'f', 'p', 0, 0, 1, 0}));
  int pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&c, &pos), IPLUG_VERSION);
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&c, &pos), 0);  // nothing there
  EXPECT_EQ(pos, 8);
  ByteChunk partMagic, partVersion;
  partMagic.AppendBytes(c.GetBytes(), 3);
  pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&partMagic, &pos), 0);
  EXPECT_EQ(pos, 0);  // no whole magic: no header
  partVersion.AppendBytes(c.GetBytes(), 6);
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&partVersion, &pos), 0);
  EXPECT_EQ(pos, -1);  // magic there, version cut short
  ByteChunk other = ChunkOf({2.0});
  pos = 0;
  EXPECT_EQ(IPlugBase::GetIPlugVerFromChunk(&other, &pos), 0);
  EXPECT_EQ(pos, 0);
}

TEST(Presets, MakersFillFreeSlotsInOrder)
{
  TestPlug plug(4, "1-1 2-2", 5);
  plug.InitProductParams();
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  plug.MakePreset("set", -6.0, 0.1, 0.2, 1);
  plug.MakePresetFromNamedParams("named", 2, 2, 9.999e-8, 3, 1);
  plug.MakePresetFromBlob("blob", "AAAAAAAA8D8=", 16);
  ByteChunk c = ChunkOf({-1, 0.5, 0.5, 0});
  plug.MakePresetFromChunk("chunk", &c);
  plug.MakeDefaultPreset(nullptr, 5);  // one slot left
  EXPECT_EQ(Doubles(plug.Preset(0)->mChunk), std::vector<double>({-6.0, 0.1, 0.2, 1.0}));
  EXPECT_EQ(Doubles(plug.Preset(1)->mChunk), std::vector<double>({-15.0, 0.7, 0.3, 1.0}));
  EXPECT_EQ(Doubles(plug.Preset(2)->mChunk), std::vector<double>({1.0, 0.0}));
  EXPECT_EQ(Doubles(plug.Preset(3)->mChunk), std::vector<double>({-1, 0.5, 0.5, 0}));
  EXPECT_EQ(Doubles(plug.Preset(4)->mChunk), std::vector<double>({-15.0, 0.7, 0.3, 0.0}));
  const char* names[] = {"set", "named", "blob", "chunk", "Empty"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(plug.GetPresetName(i), names[i]);
  plug.MakePreset("no room", -1.0, 0.0, 0.1, 0);
  EXPECT_EQ(plug.NPresets(), 5);
  EXPECT_STREQ(plug.GetPresetName(4), "Empty");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
  EXPECT_STREQ(plug.GetPresetName(5), "");
}

TEST(Presets, BlobSizesAndEnsureDefault)
{
  struct Case
  {
    const char* blob;
    int size;
    std::vector<uint8_t> expect;
  };
  const Case cases[] = {
      {"AQID", 5, {1, 2, 3, 0, 0}},  // shorter than the chunk: zeros follow
      {"AQIDBAUG", 2, {1, 2}},       // longer: cut to the chunk
      {"AQ==", 3, {1, 0, 0}},        // padding stops decoding
      {"AQ*D", 2, {1, 0}},           // so does anything outside the alphabet
      {"", 0, {}},
  };
  for (const Case& c : cases) {
    TestPlug plug(4, "1-1", 1);
    plug.MakePresetFromBlob("b", c.blob, c.size);
    EXPECT_TRUE(plug.Preset(0)->mInitialized) << c.blob;
    EXPECT_EQ(Bytes(plug.Preset(0)->mChunk), c.expect) << c.blob;
  }
  TestPlug plug(4, "1-1", 3);
  plug.InitProductParams();
  plug.MakePreset("first", -6.0, 0.1, 0.2, 1);
  plug.EnsureDefaultPreset();
  EXPECT_STREQ(plug.GetPresetName(2), "Empty");
  EXPECT_EQ(Doubles(plug.Preset(2)->mChunk), std::vector<double>({-15.0, 0.7, 0.3, 0.0}));
  plug.MakePreset(std::string(300, 'n').c_str(), -6.0, 0.1, 0.2, 1);  // no slot left
  EXPECT_STREQ(plug.GetPresetName(0), "first");
}

TEST(Presets, RestoreByIndexAndName)
{
  TestPlug plug(4, "1-1 2-2", 4);
  plug.InitProductParams();
  plug.MakePreset("user preset 1", -6.0, 0.1, 0.2, 1);
  plug.MakePreset("my user preset 2", -7.0, 0.1, 0.2, 0);
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.Values(), std::vector<double>({-7.0, 0.1, 0.2, 0}));
  EXPECT_EQ(plug.presetsChanged, 1);

  // An uninitialized slot captures the current state as the next user preset.
  plug.GetParam(0)->Set(-30);
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 3");
  EXPECT_EQ(Doubles(plug.Preset(2)->mChunk)[0], -30.0);

  EXPECT_TRUE(plug.RestorePreset("user preset 1"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug.GetParam(0)->Value(), -6.0);
  const char* bad[] = {nullptr, "", "User preset 1", "nothing"};
  for (const char* name : bad) EXPECT_FALSE(plug.RestorePreset(name)) << (name ? name : "(null)");
  EXPECT_FALSE(plug.RestorePreset(4));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);

  // An initialized slot with an empty state cannot be restored; the index stays.
  ByteChunk empty;
  plug.MakePresetFromChunk("hollow", &empty);
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
}

TEST(Presets, ModifyCurrentAndPrune)
{
  TestPlug plug(4, "1-1 2-2", 4);
  plug.InitProductParams();
  plug.MakePreset("a", -6.0, 0.1, 0.2, 1);
  plug.MakePreset("b", -7.0, 0.1, 0.2, 0);
  plug.RestorePreset(1);
  plug.GetParam(0)->Set(-1);
  plug.ModifyCurrentPreset(std::string(300, 'x').c_str());
  EXPECT_EQ(strlen(plug.GetPresetName(1)), (size_t)MAX_PRESET_NAME_LEN - 1);
  EXPECT_EQ(Doubles(plug.Preset(1)->mChunk)[0], -1.0);
  plug.ModifyCurrentPreset("");
  EXPECT_EQ(plug.GetPresetName(1)[0], 'x');

  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 2);
  EXPECT_STREQ(plug.GetPresetName(0), "a");
  plug.SetCurrentPresetIdxForTest(5);
  plug.ModifyCurrentPreset("ignored");  // outside the list: nothing
  EXPECT_STREQ(plug.GetPresetName(1), std::string(255, 'x').c_str());
}

TEST(Presets, SerializedListLayoutAndRoundTrip)
{
  TestPlug plug(4, "1-1 2-2", 2);
  plug.InitProductParams();
  plug.MakePreset("ab", -6.0, 0.1, 0.2, 1);
  ByteChunk list;
  ASSERT_TRUE(plug.SerializePresets(&list));
  ASSERT_EQ(list.Size(), 4 + 2 + 1 + 32 + 4 + 5 + 1);
  const std::vector<uint8_t> b = Bytes(list);
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 7), std::vector<uint8_t>({2, 0, 0, 0, 'a', 'b', 1}));
  EXPECT_EQ(std::vector<uint8_t>(b.end() - 10, b.end()),
            std::vector<uint8_t>({5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0}));

  TestPlug fresh(4, "1-1 2-2", 2);
  fresh.InitProductParams();
  EXPECT_EQ(fresh.UnserializePresets(&list, 0), list.Size());
  EXPECT_STREQ(fresh.GetPresetName(0), "ab");
  EXPECT_TRUE(fresh.Preset(0)->mInitialized);
  EXPECT_FALSE(fresh.Preset(1)->mInitialized);
  EXPECT_EQ(fresh.Values(), std::vector<double>({-6.0, 0.1, 0.2, 1}));  // current preset restored

  // Cut short inside the second record's name: the first slot loads, the second keeps its name.
  ByteChunk cut;
  cut.AppendBytes(list.GetBytes(), 4 + 2 + 1 + 32 + 4 + 2);
  TestPlug partial(4, "1-1 2-2", 2);
  partial.InitProductParams();
  EXPECT_EQ(partial.UnserializePresets(&cut, 0), -1);
  EXPECT_STREQ(partial.GetPresetName(0), "ab");
  EXPECT_STREQ(partial.GetPresetName(1), "empty");
}

}  // namespace
