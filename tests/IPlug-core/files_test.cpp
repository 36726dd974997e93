// Program and bank files and preset source text.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core_fixture.h"

namespace {
using core_test::TestPlug;

// A scratch directory for one test, removed with everything in it afterwards.
class FileTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char tmpl[] = "/tmp/kelvo-core-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    mDir = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + mDir + "'").c_str()); }
  WDL_String Path(const char* name) { return WDL_String((mDir + "/" + name).c_str()); }
  static std::vector<uint8_t> Read(const WDL_String& path)
  {
    std::ifstream f(path.Get(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }
  static void Write(const WDL_String& path, const std::vector<uint8_t>& bytes)
  {
    std::ofstream f(path.Get(), std::ios::binary);
    f.write((const char*)bytes.data(), (std::streamsize)bytes.size());
  }
  static std::string Text(const WDL_String& path)
  {
    const std::vector<uint8_t> b = Read(path);
    return std::string(b.begin(), b.end());
  }
  static uint32_t BE32(const std::vector<uint8_t>& b, size_t at)
  {
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
  }
  static void PutBE32(std::vector<uint8_t>* b, size_t at, uint32_t v)
  {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = (uint8_t)(v >> (24 - 8 * i));
  }
  std::string Entries()
  {
    std::string out;
    FILE* p = popen(("ls -A '" + mDir + "'").c_str(), "r");
    char buf[256];
    while (p && fgets(buf, sizeof(buf), p)) out += buf;
    if (p) pclose(p);
    return out;
  }

  std::string mDir;
};

// The product's plug-in: four parameters and one preset "-" with the defaults.
struct Product : TestPlug
{
  explicit Product(bool chunks = false, int nPresets = 1) : TestPlug(4, "1-1 2-2", nPresets, chunks)
  {
    InitProductParams();
    MakeDefaultPreset("-", 1);
  }
};

TEST_F(FileTest, ParameterProgramLayout)
{
  Product plug;
  WDL_String path = Path("p.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(&path));
  const std::vector<uint8_t> b = Read(path);
  ASSERT_EQ(b.size(), 72u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "CcnK");
  EXPECT_EQ(BE32(b, 4), 0u);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "FxCk");
  EXPECT_EQ(BE32(b, 12), 1u);
  EXPECT_EQ(BE32(b, 16), (uint32_t)core_test::kUniqueID);
  EXPECT_EQ(BE32(b, 20), 10000u);
  EXPECT_EQ(BE32(b, 24), 4u);
  EXPECT_EQ(b[28], '-');
  EXPECT_EQ(b[29], 0);
  const float expect[] = {25.0f / 40.0f, 0.7f, (float)((0.3 - 0.05) / 0.93), 0.0f};
  for (int i = 0; i < 4; ++i) {
    uint32_t v = BE32(b, 56 + 4 * i);
    float f;
    memcpy(&f, &v, 4);
    EXPECT_FLOAT_EQ(f, expect[i]) << i;
  }
  EXPECT_EQ(Entries(), "p.fxp\n");  // no temporary left behind
}

TEST_F(FileTest, ChunkProgramLayout)
{
  Product plug(true);
  WDL_String path = Path("c.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(&path));
  const std::vector<uint8_t> b = Read(path);
  ASSERT_EQ(b.size(), 60u + 8 + 32);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "FPCh");
  EXPECT_EQ(BE32(b, 4), (uint32_t)b.size());
  EXPECT_EQ(BE32(b, 56), 40u);
  EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 64), "tffp");
}

TEST_F(FileTest, ProgramRoundTripsBothForms)
{
  for (bool chunks : {false, true}) {
    Product plug(chunks);
    plug.SetValues({-6.5, 0.25, 0.5, 1});
    plug.ModifyCurrentPreset("warm");
    WDL_String path = Path("rt.fxp");
    ASSERT_TRUE(plug.SaveProgramAsFXP(&path)) << chunks;
    plug.SetValues({-30, 0.9, 0.9, 0});
    plug.ModifyCurrentPreset("cold");
    plug.programChanges = 0;
    ASSERT_TRUE(plug.LoadProgramFromFXP(&path)) << chunks;
    const std::vector<double> v = plug.Values();
    EXPECT_NEAR(v[0], -6.5, 1e-5) << chunks;
    EXPECT_NEAR(v[1], 0.25, 1e-6) << chunks;
    EXPECT_NEAR(v[2], 0.5, 1e-6) << chunks;
    EXPECT_EQ(v[3], 1.0) << chunks;
    EXPECT_STREQ(plug.GetPresetName(0), "warm") << chunks;
    EXPECT_EQ(plug.programChanges, 1) << chunks;
  }
}

TEST_F(FileTest, ProgramLoaderRefusesWithoutChanging)
{
  Product plug;
  WDL_String good = Path("good.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(&good));
  const std::vector<uint8_t> image = Read(good);
  struct Case
  {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  auto edit = [&](const char* what, size_t at, uint32_t v) {
    std::vector<uint8_t> b = image;
    PutBE32(&b, at, v);
    cases.push_back({what, b});
  };
  edit("foreign plug-in", 16, 0x41424344);
  edit("bad magic", 0, 0x43636E4C);
  edit("format version 2", 12, 2);
  edit("unknown format", 8, 0x46784378);
  edit("chunk form without chunks", 8, 0x46504368);
  cases.push_back({"shorter than the name", std::vector<uint8_t>(image.begin(), image.begin() + 55)});
  cases.push_back({"empty", {}});
  for (const Case& c : cases) {
    plug.SetValues({-3, 0.1, 0.2, 1});
    plug.ModifyCurrentPreset("kept");
    plug.paramChanges.clear();
    plug.programChanges = 0;
    WDL_String path = Path("bad.fxp");
    Write(path, c.bytes);
    EXPECT_FALSE(plug.LoadProgramFromFXP(&path)) << c.what;
    EXPECT_EQ(plug.Values(), std::vector<double>({-3, 0.1, 0.2, 1})) << c.what;
    EXPECT_STREQ(plug.GetPresetName(0), "kept") << c.what;
    EXPECT_EQ(plug.programChanges, 0) << c.what;
  }
  WDL_String missing = Path("missing.fxp"), empty;
  EXPECT_FALSE(plug.LoadProgramFromFXP(&missing));
  EXPECT_FALSE(plug.LoadProgramFromFXP(&empty));
  EXPECT_FALSE(plug.LoadProgramFromFXP(nullptr));
}

TEST_F(FileTest, ProgramEdgesNamesAndTruncatedValues)
{
  Product plug;
  plug.ModifyCurrentPreset("a name that is longer than the field");
  WDL_String path = Path("n.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(&path));
  std::vector<uint8_t> b = Read(path);
  EXPECT_EQ(std::string((const char*)&b[28]), "a name that is longer than ");  // 27 and a terminator

  // A name using all 28 bytes, and a file that stops after the first two values.
  for (int i = 0; i < 28; ++i) b[28 + i] = (uint8_t)('a' + i % 26);
  b.resize(56 + 8);
  Write(path, b);
  plug.SetValues({-3, 0.1, 0.2, 1});
  ASSERT_TRUE(plug.LoadProgramFromFXP(&path));
  EXPECT_STREQ(plug.GetPresetName(0), "abcdefghijklmnopqrstuvwxyzab");
  const std::vector<double> v = plug.Values();
  EXPECT_NEAR(v[0], -15.0, 1e-5);
  EXPECT_NEAR(v[1], 0.7, 1e-6);
  EXPECT_DOUBLE_EQ(v[2], 0.2);
  EXPECT_EQ(v[3], 1.0);

  // Values outside [0, 1] are held to the range; a NaN leaves its parameter alone.
  b.resize(72);
  const float values[] = {-0.5f, NAN, 7.0f, 0.75f};
  for (int i = 0; i < 4; ++i) {
    uint32_t bits;
    memcpy(&bits, &values[i], 4);
    PutBE32(&b, 56 + 4 * i, bits);
  }
  Write(path, b);
  plug.SetValues({-3, 0.1, 0.2, 0});
  ASSERT_TRUE(plug.LoadProgramFromFXP(&path));
  EXPECT_EQ(plug.Values(), std::vector<double>({-40, 0.1, 0.98, 1}));
}

TEST_F(FileTest, ChunkProgramWithBadStatePutsTheOldStateBack)
{
  Product plug(true);
  WDL_String path = Path("c.fxp");
  ASSERT_TRUE(plug.SaveProgramAsFXP(&path));
  std::vector<uint8_t> b = Read(path);
  b.resize(b.size() - 8);  // the chunk length now reaches past the file
  Write(path, b);
  plug.SetValues({-3, 0.1, 0.2, 1});
  EXPECT_FALSE(plug.LoadProgramFromFXP(&path));
  PutBE32(&b, 56, (uint32_t)(b.size() - 60));  // a consistent but short state
  Write(path, b);
  EXPECT_FALSE(plug.LoadProgramFromFXP(&path));
  EXPECT_EQ(plug.Values(), std::vector<double>({-3, 0.1, 0.2, 1}));
  EXPECT_EQ(plug.programChanges, 0);
}

TEST_F(FileTest, BankRoundTripsIntoAFreshInstance)
{
  for (bool chunks : {false, true}) {
    Product plug(chunks, 3);
    plug.MakePreset("second", -6.0, 0.2, 0.4, 1);
    plug.MakePreset("third", -9.0, 0.3, 0.6, 0);
    plug.RestorePreset(1);
    WDL_String path = Path("b.fxb");
    ASSERT_TRUE(plug.SaveBankAsFXB(&path)) << chunks;
    const std::vector<uint8_t> b = Read(path);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), chunks ? "FBCh" : "FxBk");
    EXPECT_EQ(BE32(b, 12), 2u);
    EXPECT_EQ(BE32(b, 24), 3u);
    EXPECT_EQ(BE32(b, 28), 1u);
    if (chunks)
      EXPECT_EQ(BE32(b, 4), (uint32_t)b.size());
    else
      EXPECT_EQ(b.size(), 156u + 3 * 72);

    Product fresh(chunks, 3);
    fresh.programChanges = 0;
    ASSERT_TRUE(fresh.LoadBankFromFXB(&path)) << chunks;
    // The parameter form selects the bank's current program; the chunk form keeps the instance's.
    EXPECT_EQ(fresh.GetCurrentPresetIdx(), chunks ? 0 : 1) << chunks;
    EXPECT_STREQ(fresh.GetPresetName(2), "third") << chunks;
    ASSERT_TRUE(fresh.RestorePreset(1));
    EXPECT_NEAR(fresh.GetParam(0)->Value(), -6.0, 1e-5) << chunks;
    EXPECT_NEAR(fresh.GetParam(2)->Value(), 0.4, 1e-6) << chunks;
    fresh.RestorePreset(2);
    EXPECT_NEAR(fresh.GetParam(0)->Value(), -9.0, 1e-5) << chunks;
    EXPECT_EQ(fresh.programChanges, 1) << chunks;
  }
}

TEST_F(FileTest, BankRefusedAtABadProgramChangesNothing)
{
  Product plug(false, 2);
  plug.SetValues({-9, 0.3, 0.6, 1});
  plug.ModifyCurrentPreset("first");
  plug.MakePreset("second", -6.0, 0.2, 0.4, 1);
  WDL_String path = Path("b.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB(&path));
  const std::vector<uint8_t> image = Read(path);

  std::vector<uint8_t> b = image;
  PutBE32(&b, 156 + 72 + 24, 5);  // the second program claims N + 1 parameters
  Write(path, b);
  Product target(false, 2);
  target.SetValues({-3, 0.1, 0.2, 0});  // live values that no slot holds
  target.programChanges = 0;
  EXPECT_FALSE(target.LoadBankFromFXB(&path));
  EXPECT_STREQ(target.GetPresetName(0), "-") << "the first program is not kept";
  EXPECT_STREQ(target.GetPresetName(1), "empty");
  EXPECT_EQ(target.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(target.Values(), std::vector<double>({-3, 0.1, 0.2, 0}));
  EXPECT_EQ(target.programChanges, 0);
}

TEST_F(FileTest, BankRefusesForeignOrTinyFiles)
{
  Product plug(false, 2);
  plug.MakePreset("second", -6.0, 0.2, 0.4, 1);
  WDL_String path = Path("b.fxb");
  ASSERT_TRUE(plug.SaveBankAsFXB(&path));
  const std::vector<uint8_t> image = Read(path);
  Product target(false, 2);
  target.programChanges = 0;
  std::vector<uint8_t> b;

  const std::vector<std::vector<uint8_t>> refused = {
      {'C', 'c', 'n'},
      std::vector<uint8_t>(image.begin(), image.begin() + 100),
  };
  for (const auto& bytes : refused) {
    Write(path, bytes);
    EXPECT_FALSE(target.LoadBankFromFXB(&path)) << bytes.size();
  }
  b = image;
  PutBE32(&b, 16, 0x41424344);
  Write(path, b);
  EXPECT_FALSE(target.LoadBankFromFXB(&path));
  EXPECT_EQ(target.programChanges, 0);

  // An empty bank is accepted and restores the current program.
  b.assign(image.begin(), image.begin() + 156);
  PutBE32(&b, 24, 0);
  PutBE32(&b, 28, 0);
  Write(path, b);
  EXPECT_TRUE(target.LoadBankFromFXB(&path));
  EXPECT_EQ(target.programChanges, 1);
}

TEST_F(FileTest, FailedSavesLeaveNothingBehind)
{
  Product plug;
  WDL_String target = Path("keep.fxp");
  Write(target, {1, 2, 3});
  WDL_String inMissingDir = Path("no-such-dir/p.fxp"), empty;
  EXPECT_FALSE(plug.SaveProgramAsFXP(&inMissingDir));
  EXPECT_FALSE(plug.SaveBankAsFXB(&inMissingDir));
  EXPECT_FALSE(plug.SaveProgramAsFXP(&empty));
  EXPECT_FALSE(plug.SaveBankAsFXB(nullptr));
  EXPECT_FALSE(plug.DumpPresetBlob(inMissingDir.Get()));
  EXPECT_EQ(plug.DumpBankBlob(inMissingDir.Get()), 0);
  EXPECT_FALSE(plug.DumpPresetSrcCode(inMissingDir.Get(), nullptr));
  EXPECT_EQ(Read(target), std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(Entries(), "keep.fxp\n");
}

TEST_F(FileTest, DumpTexts)
{
  Product plug;
  WDL_String path = Path("bank.txt");
  ASSERT_EQ(plug.DumpBankBlob(path.Get()), 1);
  const std::string bank = Text(path);
  ASSERT_EQ(bank.compare(0, 24, "MakePresetFromBlob(\"-\", "), 0) << bank;
  const size_t open = bank.find("\", \"") + 4, close = bank.find('"', open);
  EXPECT_EQ(close - open, 44u);
  EXPECT_EQ(bank[close - 1], '=');
  EXPECT_EQ(bank.substr(close), "\", 32);\n");

  // The blob text makes the same preset again.
  Product copy(false, 2);
  copy.MakePresetFromBlob("again", bank.substr(open, close - open).c_str(), 32);
  EXPECT_TRUE(copy.Preset(1)->mChunk.IsEqual(plug.Preset(0)->mChunk));

  ASSERT_TRUE(plug.DumpPresetBlob(path.Get()));
  EXPECT_EQ(Text(path).compare(0, 27, "MakePresetFromBlob(\"name\", "), 0);

  TestPlug typed(3, "1-1", 1);
  typed.GetParam(0)->InitBool("On", true);
  typed.GetParam(1)->InitEnum("Mode", 2, 4);
  typed.GetParam(2)->InitDouble("Level", -1.5, -10, 0, 0.1);
  const char* names[] = {"kOn", "kMode", "kLevel"};
  ASSERT_TRUE(typed.DumpPresetSrcCode(path.Get(), names));
  EXPECT_EQ(Text(path),
            "  MakePresetFromNamedParams(\"name\", 3,\n    kOn, true,\n    kMode, 2,\n    kLevel, -1.500000);\n");
  typed.SetCurrentPresetIdxForTest(4);
  EXPECT_FALSE(typed.DumpPresetBlob(path.Get()));
}

}  // namespace
