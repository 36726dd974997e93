// Kelvo's user interface in a real host, jalv.gtk3 (on a JACK server of its own, under Xvfb):
// the interface's window sits inside jalv's and shows the editor's pixels; a drag made with
// xdotool turns OUT, and the value jalv keeps (read back from the state jalv saves) follows.
// The screenshot of the embedded editor is left in editor-pictures/.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "raster/lice.h"
#include "ui_host.h"

namespace kelvo_test {
namespace {

const int kEditorWidth = 367, kEditorHeight = 630, kOutX = 89, kOutY = 75;

// A program started for the test, ended by its process id.
class Child
{
public:
  // Runs argv in dir with the extra environment, output to log.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& dir,
        const std::string& log)
  {
    mPid = fork();
    if (mPid != 0) return;
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    if (FILE* f = std::fopen(log.c_str(), "w")) {
      dup2(fileno(f), 1);
      dup2(fileno(f), 2);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  ~Child() { Stop(); }
  bool Running()
  {
    int status;
    return mPid > 0 && waitpid(mPid, &status, WNOHANG) == 0;
  }
  // SIGTERM, then SIGKILL after two seconds.
  void Stop()
  {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    int status;
    for (int i = 0; i < 200; ++i) {
      if (waitpid(mPid, &status, WNOHANG) != 0) {
        mPid = -1;
        return;
      }
      usleep(10000);
    }
    kill(mPid, SIGKILL);
    waitpid(mPid, &status, 0);
    mPid = -1;
  }

private:
  pid_t mPid = -1;
};

std::string WindowName(Display* d, Window w)
{
  char* name = nullptr;
  std::string s;
  if (XFetchName(d, w, &name) && name) s = name;
  if (name) XFree(name);
  return s;
}

// The first window below w (depth first) that the predicate accepts, or 0.
template <class F>
Window FindWindow(Display* d, Window w, F accept)
{
  if (accept(w)) return w;
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < n && !found; ++i) found = FindWindow(d, children[i], accept);
  if (children) XFree(children);
  return found;
}

Window TopLevelNamed(Display* d, const char* name)
{
  return FindWindow(d, DefaultRootWindow(d), [&](Window w) { return WindowName(d, w) == name; });
}

bool WaitFor(const std::function<bool()>& done, int ms)
{
  for (long long end = NowMs() + ms; NowMs() < end; usleep(20000))
    if (done()) return true;
  return done();
}

int Xdotool(const std::string& display, const std::string& args)
{
  return std::system(("DISPLAY=" + display + " xdotool " + args + " > /dev/null 2>&1").c_str());
}

// The value of the port with that symbol in a state jalv saved.
bool PortValue(const std::string& stateFile, const std::string& symbol, double* value)
{
  std::ifstream in(stateFile);
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  const size_t at = s.find("lv2:symbol \"" + symbol + "\"");
  const size_t v = at == std::string::npos ? at : s.find("pset:value", at);
  if (v == std::string::npos) return false;
  *value = std::atof(s.c_str() + v + std::strlen("pset:value"));
  return true;
}

bool HaveTools() { return std::system("command -v jalv.gtk3 jackd jack_wait xdotool > /dev/null 2>&1") == 0; }

TEST(KelvoInJalv, EmbedsShowsTheEditorAndADragReachesTheHost)
{
  if (!SharedXvfb()) GTEST_SKIP() << "no Xvfb";
  if (!HaveTools()) GTEST_SKIP() << "jalv.gtk3, jackd or xdotool missing";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // An instrumented interface needs the sanitizer's runtime loaded before jalv's own libraries;
  // the interface is tested under the sanitizers in-process (ui_test.cpp) instead.
  GTEST_SKIP() << "a sanitized interface cannot be loaded into jalv";
#endif
  const std::string display = SharedXvfb()->Name();
  char tmp[] = "/tmp/kelvo-jalv-XXXXXX";
  ASSERT_NE(mkdtemp(tmp), nullptr);
  const std::string dir = tmp, lv2 = dir + "/lv2", server = "kelvo-ui-" + std::to_string(getpid());
  mkdir(lv2.c_str(), 0755);
  ASSERT_EQ(symlink((BuildDir() + "/Kelvo.lv2").c_str(), (lv2 + "/Kelvo.lv2").c_str()), 0);

  Child jackd({"jackd", "-n", server, "-r", "-d", "dummy", "-r", "48000", "-p", "256"}, {}, dir, dir + "/jackd.log");
  ASSERT_EQ(std::system(("JACK_DEFAULT_SERVER=" + server + " jack_wait -w -t 10 > /dev/null 2>&1").c_str()), 0);
  Child jalv({"jalv.gtk3", "--jack-name=" + server, kPluginURI},
             {"DISPLAY=" + display, "LV2_PATH=" + lv2, "JACK_DEFAULT_SERVER=" + server, "GSETTINGS_BACKEND=memory"},
             dir, dir + "/jalv.log");

  std::unique_ptr<Display, int (*)(Display*)> connection(XOpenDisplay(display.c_str()), XCloseDisplay);
  Display* d = connection.get();
  ASSERT_NE(d, nullptr);
  // jalv names its window after the plug-in; the interface's window is the editor-sized one inside.
  Window top = 0, ui = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        top = TopLevelNamed(d, "Kelvo");
        ui = top ? FindWindow(d, top,
                              [&](Window w) {
                                XWindowAttributes a;
                                return XGetWindowAttributes(d, w, &a) && a.width == kEditorWidth &&
                                       a.height == kEditorHeight && a.map_state == IsViewable &&
                                       WindowName(d, w).empty() && w != top;
                              })
                 : 0;
        // Ours, not one of jalv's own widgets: a window with no class hint.
        XClassHint hint;
        if (ui && XGetClassHint(d, ui, &hint)) {
          XFree(hint.res_name);
          XFree(hint.res_class);
          ui = 0;
        }
        return ui != 0;
      },
      15000))
      << "jalv.gtk3 showed no Kelvo editor";
  usleep(300000);

  // The screenshot: what jalv shows is the editor at its defaults, as the Audio Unit editor draws it.
  XImage* shot = XGetImage(d, ui, 0, 0, kEditorWidth, kEditorHeight, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  LICE_MemBitmap picture(kEditorWidth, kEditorHeight);
  for (int y = 0; y < kEditorHeight; ++y)
    for (int x = 0; x < kEditorWidth; ++x)
      LICE_PutPixel(&picture, x, y, (LICE_pixel)(XGetPixel(shot, x, y) & 0xFFFFFF) | 0xFF000000u, 1.0f, 0);
  XDestroyImage(shot);
  const std::string pictures = BuildDir() + "/editor-pictures";
  mkdir(pictures.c_str(), 0755);
  EXPECT_TRUE(LICE_WritePNG((pictures + "/kelvo-in-jalv.png").c_str(), &picture, false));
  const std::string reference = dir + "/reference.png";
  ASSERT_EQ(std::system((BuildDir() + "/bin/kelvo editor --png " + reference + " > /dev/null").c_str()), 0);
  std::unique_ptr<LICE_IBitmap> want(LICE_LoadPNG(reference.c_str()));
  ASSERT_TRUE(want);
  int differing = 0;
  for (int y = 0; y < kEditorHeight; ++y)
    for (int x = 0; x < kEditorWidth; ++x)
      differing += (LICE_GetPixel(&picture, x, y) & 0xFFFFFF) != (LICE_GetPixel(want.get(), x, y) & 0xFFFFFF);
  EXPECT_EQ(differing, 0);

  // xdotool drags OUT 40 pixels up.
  std::unique_ptr<LICE_IBitmap> strip(LICE_LoadPNG((BuildDir() + "/Kelvo.lv2/OUT.png").c_str()));
  ASSERT_TRUE(strip);
  const int kw = strip->getWidth(), kh = strip->getHeight() / 31;
  const std::string win = std::to_string(ui);
  const int x = kOutX + kw / 2, y = kOutY + kh / 2;
  ASSERT_EQ(Xdotool(display, "mousemove --window " + win + " " + std::to_string(x) + " " + std::to_string(y) +
                                 " sleep 0.1 mousedown 1"),
            0);
  for (int moved = 4; moved <= 40; moved += 4)
    Xdotool(display,
            "mousemove --window " + win + " " + std::to_string(x) + " " + std::to_string(y - moved) + " sleep 0.04");
  Xdotool(display, "sleep 0.1 mouseup 1 sleep 0.3");

  // jalv saves its state (File > Save, a folder name, Return); OUT's value is in it. Without a
  // window manager the menu is opened with the mouse: the main window has no keyboard focus.
  const std::string saved = dir + "/saved";
  Window dialog = 0;
  Xdotool(display,
          "mousemove --window " + std::to_string(top) + " 15 12 click 1 sleep 0.4 mousemove_relative 25 26 click 1");
  const bool opened = WaitFor([&] { return (dialog = TopLevelNamed(d, "Save State")) != 0; }, 5000);
  ASSERT_TRUE(opened) << "no save dialog";
  usleep(300000);
  Xdotool(display, "windowraise " + std::to_string(dialog) + " windowmove " + std::to_string(dialog) +
                       " 0 0 windowfocus --sync " + std::to_string(dialog) +
                       " sleep 0.3 key ctrl+a BackSpace sleep 0.2");
  Xdotool(display, "type --delay 40 " + saved);
  Xdotool(display, "sleep 0.3 key Return");
  double out = 0;
  EXPECT_TRUE(WaitFor([&] { return PortValue(saved + "/state.ttl", "OUT", &out); }, 5000)) << "jalv saved no state";
  // 40 pixels with gearing 4 on a knob kh high: 10 / kh of the 40 dB range, up from -15 dB.
  EXPECT_NEAR(out, -15.0 + 40.0 * 10.0 / kh, 1e-3);
  EXPECT_TRUE(jalv.Running()) << "jalv is still up";

  connection.reset();
  jalv.Stop();
  jackd.Stop();
  std::ifstream log(dir + "/jalv.log");
  std::stringstream said;
  said << log.rdbuf();
  EXPECT_EQ(said.str().find("Kelvo editor:"), std::string::npos) << said.str();
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace kelvo_test
