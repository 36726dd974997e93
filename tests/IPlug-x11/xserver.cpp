// XTest before the editor's Xlib header, which drops Xlib's Bool macro.
#include <X11/extensions/XTest.h>

#include "xserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "raster/lice.h"

namespace kelvo_test {

bool Xvfb::Start(std::string* err)
{
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *err = "pipe failed";
    return false;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    *err = "fork failed";
    return false;
  }
  if (pid == 0) {
    // The write end stays open across exec; Xvfb writes the display number to it.
    const int out = dup(fds[1]);
    char fd[16];
    std::snprintf(fd, sizeof(fd), "%d", out);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  mPid = pid;
  std::string number;
  pollfd p = {fds[0], POLLIN, 0};
  while (poll(&p, 1, 15000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    *err = "Xvfb did not start (is the xvfb package installed?)";
    Stop();
    return false;
  }
  mName = ":" + number;
  return true;
}

void Xvfb::Stop()
{
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  int status;
  waitpid(mPid, &status, 0);
  mPid = -1;
}

Xvfb* SharedXvfb()
{
  static Xvfb* server = [] {
    // Tests play the user from a thread of their own, on a connection of its own.
    XInitThreads();
    Xvfb* x = new Xvfb();
    std::string err;
    if (!x->Start(&err)) {
      std::fprintf(stderr, "%s\n", err.c_str());
      delete x;
      return static_cast<Xvfb*>(nullptr);
    }
    // Stopped when the test program ends.
    std::atexit([] { delete SharedXvfb(); });
    return x;
  }();
  return server;
}

XUser::XUser(const std::string& display) : mDisplay(XOpenDisplay(display.c_str())) {}

XUser::~XUser()
{
  if (mDisplay) XCloseDisplay(mDisplay);
}

void XUser::ToRoot(Window w, int x, int y, int* rx, int* ry)
{
  Window child;
  XTranslateCoordinates(mDisplay, w, DefaultRootWindow(mDisplay), x, y, rx, ry, &child);
}

void XUser::MoveTo(Window w, int x, int y)
{
  int rx, ry;
  ToRoot(w, x, y, &rx, &ry);
  XTestFakeMotionEvent(mDisplay, DefaultScreen(mDisplay), rx, ry, CurrentTime);
  XSync(mDisplay, False);
}

void XUser::Press(unsigned button)
{
  XTestFakeButtonEvent(mDisplay, button, True, CurrentTime);
  XSync(mDisplay, False);
}

void XUser::Release(unsigned button)
{
  XTestFakeButtonEvent(mDisplay, button, False, CurrentTime);
  XSync(mDisplay, False);
}

void XUser::Hold(KeySym sym, bool down)
{
  XTestFakeKeyEvent(mDisplay, XKeysymToKeycode(mDisplay, sym), down ? True : False, CurrentTime);
  XSync(mDisplay, False);
}

void XUser::Key(KeySym sym, bool shift)
{
  if (shift) Hold(XK_Shift_L, true);
  Hold(sym, true);
  Hold(sym, false);
  if (shift) Hold(XK_Shift_L, false);
}

void XUser::Type(const char* text)
{
  for (const char* c = text; *c; ++c) {
    KeySym sym = NoSymbol;
    switch (*c) {
      case '.':
        sym = XK_period;
        break;
      case '-':
        sym = XK_minus;
        break;
      case '+':
        sym = XK_plus;
        break;
      default: {
        const char s[2] = {*c, 0};
        sym = XStringToKeysym(s);
      }
    }
    // '+' and capitals need Shift on the usual layout.
    const bool shift = *c == '+' || (*c >= 'A' && *c <= 'Z');
    Key(*c == '+' ? XK_equal : sym, shift);
  }
}

std::string ReadWindowPixels(Display* display, Window w, int x, int y, int width, int height,
                             std::vector<unsigned>* pixels)
{
  XImage* image = XGetImage(display, w, x, y, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
  if (!image) return "XGetImage failed";
  pixels->assign((size_t)width * height, 0);
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) (*pixels)[(size_t)row * width + col] = XGetPixel(image, col, row) & 0xFFFFFF;
  XDestroyImage(image);
  return "";
}

int CountDifferingPixels(Display* display, Window w, LICE_IBitmap* want, int width, int height)
{
  std::vector<unsigned> shown;
  if (!ReadWindowPixels(display, w, 0, 0, width, height, &shown).empty()) return -1;
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) differing += shown[(size_t)y * width + x] != (LICE_GetPixel(want, x, y) & 0xFFFFFF);
  return differing;
}

FakeOpener::FakeOpener(int delaySeconds)
{
  char dir[] = "/tmp/kelvo-opener-XXXXXX";
  if (!mkdtemp(dir)) return;
  mDir = dir;
  const std::string out = mDir + "/opened";
  {
    std::ofstream script(mDir + "/xdg-open");
    script << "#!/bin/sh\n";
    if (delaySeconds > 0) script << "sleep " << delaySeconds << "\n";
    script << "echo \"$1\" > " << out << ".part && mv " << out << ".part " << out << "\n";
  }
  chmod((mDir + "/xdg-open").c_str(), 0755);
  const char* path = getenv("PATH");
  mHadPath = path != nullptr;
  mOldPath = path ? path : "";
  setenv("PATH", (mDir + ":" + mOldPath).c_str(), 1);
}

FakeOpener::~FakeOpener()
{
  if (!Ok()) return;
  if (mHadPath)
    setenv("PATH", mOldPath.c_str(), 1);
  else
    unsetenv("PATH");
  unlink((mDir + "/opened").c_str());
  unlink((mDir + "/xdg-open").c_str());
  rmdir(mDir.c_str());
}

std::string FakeOpener::Take()
{
  const std::string out = mDir + "/opened";
  std::string opened;
  std::ifstream in(out);
  std::getline(in, opened);
  if (!opened.empty()) unlink(out.c_str());
  return opened;
}

}  // namespace kelvo_test
