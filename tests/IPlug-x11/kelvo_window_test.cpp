// Kelvo's own editor in the X11 window: the same pixels as the Audio Unit editor that `kelvo editor
// --png` draws at the same settings, and a user's drags, presses, typed values and menu choices
// reaching the parameters.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Kelvo/Kelvo.h"
#include "Kelvo/KelvoEditor.h"
#include "editor_fixture.h"

namespace kelvo_test {
namespace {

std::string BuildDir()
{
  const char* dir = std::getenv("KELVO_BUILD_DIR");
  return dir ? dir : ".";
}

// Kelvo with its editor on the X11 window, pictures from the built bundle.
struct KelvoX11
{
  KelvoX11()
  {
    IGraphicsX11::SetDefaultPictureDir((BuildDir() + "/Kelvo.component/Contents/Resources").c_str());
    plug = std::make_unique<Kelvo>(IPlugInstanceInfo());
    gui = static_cast<IGraphicsX11*>(plug->GetGUI());
    gui->SetDisplayName(SharedXvfb()->Name().c_str());
  }
  // Sets a parameter as a host does (real value), the editor following.
  void Set(int idx, double value)
  {
    plug->GetParam(idx)->Set(value);
    plug->OnParamChange(idx);
    gui->SetParameterFromPlug(idx, value, false);
  }
  // The control bound to a parameter.
  IControl* ControlOf(int idx)
  {
    for (int i = 0; i < gui->GetNControls(); ++i)
      if (gui->GetControl(i)->ParamIdx() == idx) return gui->GetControl(i);
    return nullptr;
  }
  double Value(int idx) { return plug->GetParam(idx)->Value(); }

  std::unique_ptr<Kelvo> plug;
  IGraphicsX11* gui;
};

struct PictureCase
{
  const char* name;
  std::vector<std::pair<int, double>> values;
  const char* kelvoArgs;
};

const PictureCase kPictures[] = {
    {"defaults", {}, ""},
    {"knobs moved, bypassed",
     {{kOut, -3.0}, {kGainL, 0.9}, {kBypass, 1.0}},
     "--set OUT=-3 --set GainL=0.9 --set Bypass=1"},
};

TEST(KelvoX11Editor, ShowsTheSamePixelsAsTheAudioUnitEditor)
{
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb";
  char dir[] = "/tmp/kelvo-x11-png-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  for (const PictureCase& c : kPictures) {
    SCOPED_TRACE(c.name);
    const std::string png = std::string(dir) + "/editor.png";
    const std::string cmd = BuildDir() + "/bin/kelvo editor --png " + png + " " + c.kelvoArgs + " > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::unique_ptr<LICE_IBitmap> want(LICE_LoadPNG(png.c_str()));
    ASSERT_TRUE(want);
    ASSERT_EQ(want->getWidth(), KelvoEditor::kWidth);
    ASSERT_EQ(want->getHeight(), KelvoEditor::kHeight);

    KelvoX11 k;
    for (const auto& v : c.values) k.Set(v.first, v.second);
    ASSERT_NE(k.gui->OpenWindow(nullptr), nullptr);
    PumpFor(k.gui, 120);
    XUser u(SharedXvfb()->Name());
    EXPECT_EQ(CountDifferingPixels(u.GetDisplay(), k.gui->GetXWindow(), want.get(), KelvoEditor::kWidth,
                                   KelvoEditor::kHeight),
              0);
    unlink(png.c_str());
  }
  rmdir(dir);
}

struct KelvoActionCase
{
  const char* name;
  std::function<void(KelvoX11&, XUser&)> act;
  int param;
  double want;
};

// The middle of the control bound to the parameter.
void Middle(KelvoX11& k, int idx, int* x, int* y)
{
  const IRECT r = k.ControlOf(idx)->GetRECT();
  *x = (r.L + r.R) / 2;
  *y = (r.T + r.B) / 2;
}

const KelvoActionCase kKelvoActions[] = {
    {"drag OUT up by its height (a quarter of the range)",
     [](KelvoX11& k, XUser& u) {
       int x, y;
       Middle(k, kOut, &x, &y);
       const IRECT r = k.ControlOf(kOut)->GetRECT();
       DragOn(k.gui, u, x, y, -(r.B - r.T));
     },
     kOut, -5.0},
    {"press the footswitch",
     [](KelvoX11& k, XUser& u) {
       int x, y;
       Middle(k, kBypass, &x, &y);
       ClickOn(k.gui, u, x, y);
     },
     kBypass, 1.0},
    {"type a value for OUT",
     [](KelvoX11& k, XUser& u) {
       k.ControlOf(kOut)->DisablePrompt(false);
       int x, y;
       Middle(k, kOut, &x, &y);
       ClickOn(k.gui, u, x, y, Button3);
       ASSERT_TRUE(PumpUntil(k.gui, [&] { return k.gui->TextEntryOpen(); }));
       u.Type("-12.5");
       u.Key(XK_Return);
       PumpFor(k.gui, 60);
     },
     kOut, -12.5},
};

TEST(KelvoX11Editor, TheUsersActionsReachTheParameters)
{
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb";
  for (const KelvoActionCase& c : kKelvoActions) {
    SCOPED_TRACE(c.name);
    KelvoX11 k;
    ASSERT_NE(k.gui->OpenWindow(nullptr), nullptr);
    XUser u(SharedXvfb()->Name());
    PumpFor(k.gui, 60);
    c.act(k, u);
    EXPECT_NEAR(k.Value(c.param), c.want, 1e-9);
    // What the window shows follows.
    PumpFor(k.gui, 100);
    EXPECT_EQ(CountDifferingPixels(u.GetDisplay(), k.gui->GetXWindow(), k.gui->GetDrawBitmap(), KelvoEditor::kWidth,
                                   KelvoEditor::kHeight),
              0);
  }
}

// Bypass offered as the two-state choice an LV2 host shows ("Off", "On"): its switch's prompt is the
// menu. The menu is modal, so the user acts from a thread of their own.
TEST(KelvoX11Editor, BypassIsChosenFromItsMenu)
{
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb";
  KelvoX11 k;
  IParam* bypass = k.plug->GetParam(kBypass);
  bypass->InitEnum("Bypass", 0, 2);
  bypass->SetDisplayText(0, "Off");
  bypass->SetDisplayText(1, "On");
  k.ControlOf(kBypass)->DisablePrompt(false);
  ASSERT_NE(k.gui->OpenWindow(nullptr), nullptr);
  PumpFor(k.gui, 60);
  int x, y;
  Middle(k, kBypass, &x, &y);
  const Window w = k.gui->GetXWindow();
  const std::string display = SharedXvfb()->Name();
  std::thread user([&] {
    XUser u(display);
    u.MoveTo(w, x, y);
    usleep(100000);
    u.Press(Button3);
    u.Release(Button3);
    usleep(250000);
    u.Key(XK_Down);  // "Off" (checked)
    u.Key(XK_Down);  // "On"
    u.Key(XK_Return);
  });
  PumpFor(k.gui, 700);
  user.join();
  PumpFor(k.gui, 60);
  EXPECT_EQ(k.Value(kBypass), 1.0);
}

}  // namespace
}  // namespace kelvo_test
