// The Kelvo editor as a host shows it: the view made by the unit's view factory in a window,
// mouse events sent through the window, and the window's pixels.
#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "IPlug-au/AUTestHost.h"
#include "host/editorwindow.h"
#include "raster/lice.h"

namespace {

enum { kOut = 0, kGainM = 1, kGainL = 2, kBypass = 3 };
constexpr UInt32 kBlock = 512;

// A picture of the bundle's resources, decoded.
std::unique_ptr<LICE_IBitmap> Resource(const char* name)
{
  return std::unique_ptr<LICE_IBitmap>(LICE_LoadPNG((KelvoBundlePath() + "/Contents/Resources/" + name).c_str()));
}

class Editor : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mPool = NSAutoreleasePool::alloc()->init();
    ASSERT_EQ(SetFloatIO(mUnit, 2, 44100.0, 4096), noErr);
    ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
    std::string err;
    ASSERT_TRUE(mWindow->Open(mUnit, err)) << err;
    mWindow->Settle();
    NSWorkspace::clearOpenedURLs();
  }
  void TearDown() override
  {
    mWindow.reset();
    AudioUnitUninitialize(mUnit);
    mPool->drain();
  }

  float Param(int id)
  {
    AudioUnitParameterValue v = NAN;
    EXPECT_EQ(AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &v), noErr);
    return v;
  }
  void SetParam(int id, float v)
  {
    ASSERT_EQ(AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, v, 0), noErr);
  }

  // Whether the window shows frame `frame` of a vertical strip of `frames` at (x, y), pixel for pixel.
  bool Shows(LICE_IBitmap* strip, int frames, int frame, int x, int y)
  {
    const int w = strip->getWidth(), h = strip->getHeight() / frames;
    for (int j = 0; j < h; ++j) {
      const unsigned char* row = mWindow->Pixels() + (y + j) * mWindow->BytesPerRow() + x * 4;
      const LICE_pixel* src = strip->getBits() + (frame * h + j) * strip->getRowSpan();
      for (int i = 0; i < w; ++i)
        if (row[i * 4] != LICE_GETB(src[i]) || row[i * 4 + 1] != LICE_GETG(src[i]) ||
            row[i * 4 + 2] != LICE_GETR(src[i]))
          return false;
    }
    return true;
  }

  TestUnit mUnit;
  std::unique_ptr<EditorWindow> mWindow = std::make_unique<EditorWindow>();
  NSAutoreleasePool* mPool = nullptr;
};

TEST_F(Editor, OpensAtTheEditorsSize)
{
  EXPECT_EQ(mWindow->Width(), 367);
  EXPECT_EQ(mWindow->Height(), 630);
}

// The link covers the window's bottom-right corner from (270, 600) on; the view reads a press
// 2 pixels left of and 3 above the window point, so (364, 627) is the last point it can take.
TEST_F(Editor, LinkAreaOpensTheProductPage)
{
  const struct
  {
    int x, y;
    bool opens;
  } cases[] = {{300, 620, true},  {300, 599, false}, {270, 600, true},
               {269, 620, false}, {364, 627, true},  {183, 610, false}};
  for (const auto& c : cases) {
    NSWorkspace::clearOpenedURLs();
    mWindow->Click(c.x, c.y);
    const auto& urls = NSWorkspace::openedURLs();
    ASSERT_EQ(urls.size(), c.opens ? 1u : 0u) << c.x << "," << c.y;
    if (!c.opens) continue;
    EXPECT_EQ(urls[0].rfind("https://", 0), 0u) << urls[0];
    EXPECT_EQ(urls[0].substr(urls[0].size() - 15), "/product/kelvo/") << urls[0];
  }
}

// Presses and drags all over the window move the visible controls but never "GainM".
TEST_F(Editor, NoPointOfTheWindowReachesGainM)
{
  const float gainM = Param(kGainM);
  for (int y = -3; y < mWindow->Height(); y += 7)
    for (int x = -2; x < mWindow->Width(); x += 7) mWindow->Drag(x, y, 5, -9);
  EXPECT_EQ(Param(kGainM), gainM);
  // The sweep did reach the knobs.
  EXPECT_NE(Param(kOut), -15.0f);
  EXPECT_NE(Param(kGainL), 0.3f);
}

// Both the lamp and the footswitch under it take a press; each press toggles "Bypass".
TEST_F(Editor, SwitchTogglesBypass)
{
  const struct
  {
    int x, y;
    float after;
  } presses[] = {{183, 399, 1.0f}, {183, 399, 0.0f}, {183, 500, 1.0f}, {160, 530, 0.0f}, {140, 500, 0.0f}};
  for (const auto& p : presses) {
    mWindow->Click(p.x, p.y);
    EXPECT_EQ(Param(kBypass), p.after) << p.x << "," << p.y;
  }
}

// A vertical drag on "OUT" moves parameter 0 by 40 dB per four knob heights, and the output
// level follows at once by the same number of decibels.
TEST_F(Editor, OutKnobDragSetsTheLevel)
{
  auto strip = Resource("OUT.png");
  ASSERT_TRUE(strip);
  const double knobH = strip->getHeight() / 31.0;
  RenderHarness h(mUnit);
  ASSERT_EQ(h.Connect(), noErr);
  // A sine of exactly 48 periods per 2048 frames: every 2048-frame window has the same level.
  for (int c = 0; c < 2; ++c) {
    h.source[c].resize(kBlock * 400);
    for (size_t i = 0; i < h.source[c].size(); ++i)
      h.source[c][i] = 0.05f * (float)std::sin(2 * M_PI * 48 * i / 2048.0);
  }
  auto levelDb = [&](int blocks) {
    for (int b = 0; b < blocks; ++b) EXPECT_EQ(h.RenderBlock(kBlock), noErr);
    double sum = 0;
    const std::vector<float>& out = h.output[0];
    for (size_t i = out.size() - 2048; i < out.size(); ++i) sum += (double)out[i] * out[i];
    return 10 * std::log10(sum / 2048);
  };
  const double before = levelDb(100);  // past the control's glide
  const struct
  {
    int dy;
    double expected;
  } drags[] = {{-40, -15 + 40 * 40 / (knobH * 4)}, {25, -15 - 40 * 25 / (knobH * 4)}, {400, -40}, {-1000, 0}};
  for (const auto& d : drags) {
    SetParam(kOut, -15.0f);
    mWindow->Drag(120, 106, 0, d.dy);
    EXPECT_NEAR(Param(kOut), d.expected, 0.011) << d.dy;
    EXPECT_NEAR(levelDb(4) - before, Param(kOut) + 15, 0.01) << d.dy;
  }
}

// Each control shows the frame of its strip that its parameter's value selects.
TEST_F(Editor, FramesFollowTheirParameters)
{
  auto out = Resource("OUT.png"), fuzz = Resource("SUS.png"), light = Resource("by.png");
  ASSERT_TRUE(out && fuzz && light);
  const struct
  {
    int param;
    float value;
    LICE_IBitmap* strip;
    int frames, frame, x, y;
  } cases[] = {
      {kOut, -15, out.get(), 31, 19, 89, 75},       {kOut, -40, out.get(), 31, 0, 89, 75},
      {kOut, 0, out.get(), 31, 30, 89, 75},         {kOut, -20.3f, out.get(), 31, 15, 89, 75},
      {kGainL, 0.3f, fuzz.get(), 31, 8, 216, 75},   {kGainL, 0.05f, fuzz.get(), 31, 0, 216, 75},
      {kGainL, 0.98f, fuzz.get(), 31, 30, 216, 75}, {kGainL, 0.515f, fuzz.get(), 31, 15, 216, 75},
      {kBypass, 0, light.get(), 2, 0, 155, 373},    {kBypass, 1, light.get(), 2, 1, 155, 373},
  };
  for (const auto& c : cases) {
    SetParam(c.param, c.value);
    mWindow->Settle();
    EXPECT_TRUE(Shows(c.strip, c.frames, c.frame, c.x, c.y)) << c.param << " = " << c.value;
    EXPECT_FALSE(Shows(c.strip, c.frames, c.frame == 0 ? 1 : c.frame - 1, c.x, c.y)) << c.param << " = " << c.value;
  }
}

// The pictures in the bundle: the face fills the window, every strip splits into whole frames
// that fit the window where the editor puts them (the hidden "GainM" knob's strip is checked at
// the origin), and no two neighbouring frames are alike.
TEST(EditorPictures, FitTheLayout)
{
  auto face = Resource("bg.png");
  ASSERT_TRUE(face);
  EXPECT_EQ(face->getWidth(), 367);
  EXPECT_EQ(face->getHeight(), 630);
  const struct
  {
    const char* name;
    int frames, x, y;
  } strips[] = {{"by.png", 2, 155, 373}, {"OUT.png", 31, 89, 75}, {"SUS.png", 31, 216, 75}, {"TON.png", 31, 0, 0}};
  for (const auto& s : strips) {
    auto strip = Resource(s.name);
    ASSERT_TRUE(strip) << s.name;
    const int w = strip->getWidth(), h = strip->getHeight() / s.frames;
    ASSERT_EQ(strip->getHeight() % s.frames, 0) << s.name;
    EXPECT_LE(s.x + w, 367) << s.name;
    EXPECT_LE(s.y + h, 630) << s.name;
    for (int f = 1; f < s.frames; ++f) {
      bool differs = false;
      for (int y = 0; y < h && !differs; ++y)
        differs = memcmp(strip->getBits() + ((f - 1) * h + y) * strip->getRowSpan(),
                         strip->getBits() + (f * h + y) * strip->getRowSpan(), w * sizeof(LICE_pixel)) != 0;
      EXPECT_TRUE(differs) << s.name << " frames " << f - 1 << " and " << f;
    }
  }
}

// --- the kelvo editor command ---

std::string BuildDir()
{
  const char* dir = getenv("KELVO_BUILD_DIR");
  return dir ? dir : ".";
}

// Runs kelvo with the arguments, its output into `log`; the exit status.
int Kelvo(const std::string& args, const std::string& log)
{
  const int r = std::system((BuildDir() + "/bin/kelvo " + args + " >" + log + " 2>&1").c_str());
  return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Pictures of the editor at the defaults and two other settings, kept in editor-pictures/.
TEST(EditorCommand, DrawsPicturesOfTheEditor)
{
  const std::string dir = BuildDir() + "/editor-pictures";
  mkdir(dir.c_str(), 0755);
  const struct
  {
    const char* name;
    const char* args;
    const char* reports;
  } runs[] = {
      {"default", "", "OUT -15.00, GainM 0.70, GainL 0.30, Bypass 0"},
      {"hot", "--set OUT=0 --set GainL=0.98", "OUT 0.00, GainM 0.70, GainL 0.98, Bypass 0"},
      {"bypassed", "--click 183,500 --drag 247,106,0,31 --click 300,620", "Bypass 1"},
  };
  std::vector<std::string> pictures;
  for (const auto& r : runs) {
    const std::string png = dir + "/editor-" + r.name + ".png", log = dir + "/editor-" + r.name + ".txt";
    ASSERT_EQ(Kelvo(std::string("editor --png ") + png + " " + r.args, log), 0) << Slurp(log);
    EXPECT_NE(Slurp(log).find(r.reports), std::string::npos) << Slurp(log);
    const std::string bytes = Slurp(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    // IHDR: width and height, big-endian.
    auto word = [&](size_t at) {
      return (unsigned char)bytes[at] << 24 | (unsigned char)bytes[at + 1] << 16 | (unsigned char)bytes[at + 2] << 8 |
             (unsigned char)bytes[at + 3];
    };
    EXPECT_EQ(word(16), 367);
    EXPECT_EQ(word(20), 630);
    for (const std::string& earlier : pictures) EXPECT_NE(bytes, earlier) << r.name;
    pictures.push_back(bytes);
  }
  EXPECT_NE(Slurp(dir + "/editor-bypassed.txt").find("asked to open https://"), std::string::npos);
  EXPECT_NE(Slurp(dir + "/editor-bypassed.txt").find("GainL 0.18"), std::string::npos);
}

// Malformed actions are misuse (2), a picture that cannot be written a failure (1); neither
// leaves a file behind.
TEST(EditorCommand, RefusesBadRequests)
{
  const std::string dir = BuildDir() + "/editor-pictures";
  mkdir(dir.c_str(), 0755);
  const std::string png = dir + "/refused.png", log = dir + "/refused.txt";
  const struct
  {
    std::string args;
    int status;
  } cases[] = {
      {"--png " + png + " --click 10", 2},      {"--png " + png + " --click 1,2,3", 2},
      {"--png " + png + " --drag 1,2,3", 2},    {"--png " + png + " --click a,b", 2},
      {"--png " + png + " --click 1,", 2},      {"--click 1,2", 2},
      {"--png " + dir + "/no/such/dir.png", 1},
  };
  for (const auto& c : cases) {
    remove(png.c_str());
    EXPECT_EQ(Kelvo("editor " + c.args, log), c.status) << c.args << ": " << Slurp(log);
    struct stat st;
    EXPECT_NE(stat(png.c_str(), &st), 0) << c.args;
  }
}

}  // namespace
