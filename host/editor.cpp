// kelvo editor: opens the plug-in's editor as a host does, plays mouse actions on it and
// writes what its window shows to a PNG file.
#include <AppKit/AppKit.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "commands.h"
#include "editorwindow.h"
#include "pngfile.h"
#include "session.h"

namespace {

const OptionSpec kPngOption = {"png", "FILE", false};
const OptionSpec kClickOption = {"click", "X,Y", true};
const OptionSpec kDragOption = {"drag", "X,Y,DX,DY", true};

const CommandLine kEditor = {
    "editor",
    "--png FILE [options]",
    "Opens the plug-in's editor as a host does (the view its Cocoa view factory makes,\n"
    "in a window), applies --state, --preset and every --set, then the mouse actions\n"
    "in the order given, lets the editor redraw and writes what the window shows to\n"
    "FILE as a PNG picture. Points are editor pixels counted from the top left.\n"
    "\n"
    "  --png FILE          the picture to write (required)\n"
    "  --click X,Y         press and release the left button at X,Y (repeatable)\n"
    "  --drag X,Y,DX,DY    press at X,Y, move by DX,DY (down and right are positive),\n"
    "                      release (repeatable)\n"
    "  --state FILE        start from a saved state\n"
    "  --preset N          select factory preset N\n"
    "  --set NAME=VALUE    set a parameter in its display units (repeatable)\n"
    "  --bundle PATH       the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kPngOption, kClickOption, kDragOption, kStateOption, kPresetOption, kSetOption, kBundleOption},
};

// One scripted mouse action.
struct MouseAction {
  bool drag;
  int x, y, dx, dy;
};

// Reads "X,Y" (click) or "X,Y,DX,DY" (drag), each a whole number within +-100000.
bool ParseAction(const std::string& name, const std::string& text, MouseAction& out) {
  std::vector<long> v;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    long n = 0;
    if (!ParseInt(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), -100000,
                  100000, n))
      return false;
    v.push_back(n);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  out.drag = name == "drag";
  if (v.size() != (out.drag ? 4u : 2u)) return false;
  out.x = (int)v[0];
  out.y = (int)v[1];
  out.dx = out.drag ? (int)v[2] : 0;
  out.dy = out.drag ? (int)v[3] : 0;
  return true;
}

int Run(const Args& args) {
  std::vector<MouseAction> actions;
  for (const auto& given : args.InOrder({"click", "drag"})) {
    MouseAction a;
    if (!ParseAction(given.first, given.second, a))
      return Misuse(kEditor, "--" + given.first + " takes " + (given.first == "drag" ? "X,Y,DX,DY" : "X,Y") +
                                 " in whole pixels, not '" + given.second + "'");
    actions.push_back(a);
  }
  const std::string png = args.Value("png");
  if (png.empty()) return Misuse(kEditor, "missing --png FILE");
  if (!args.Positional().empty()) return Misuse(kEditor, "unexpected argument '" + args.Positional()[0] + "'");

  AUSession session;
  int status = LoadPlugin(kEditor, args, session);
  if (status != kExitOk) return status;
  if ((status = ApplyPluginOptions(kEditor, args, session)) != kExitOk) return status;

  std::string err;
  EditorWindow window;
  if (!window.Open(session.Unit(), err)) return Fail(err);
  NSWorkspace::clearOpenedURLs();
  window.Settle();
  for (const MouseAction& a : actions) {
    if (a.drag) window.Drag(a.x, a.y, a.dx, a.dy);
    else window.Click(a.x, a.y);
    window.Settle();
  }
  if (!WritePNGFile(png, window.Pixels(), window.Width(), window.Height(), window.BytesPerRow(), err))
    return Fail(err);
  printf("Wrote the editor of %s (%d x %d) to '%s'\nwith %s\n", session.Name().c_str(), window.Width(),
         window.Height(), png.c_str(), DescribeParameters(session).c_str());
  for (const std::string& url : NSWorkspace::openedURLs()) printf("The editor asked to open %s\n", url.c_str());
  return kExitOk;
}

}  // namespace

int RunEditor(int argc, char** argv) {
  Args args;
  const int parsed = ParseCommandLine(kEditor, argc, argv, args);
  if (parsed >= 0) return parsed;
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  const int status = Run(args);
  pool->drain();
  return status;
}
