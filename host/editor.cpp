// kelvo editor: opens the plug-in's editor as a host does, plays mouse actions on it and
// writes what its window shows to a PNG file.
#include <AppKit/AppKit.h>

#include <strings.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "commands.h"
#include "editorwindow.h"
#include "pngfile.h"
#include "session.h"
#include "statefile.h"

namespace {

const OptionSpec kPngOption = {"png", "FILE", false};
const OptionSpec kClickOption = {"click", "X,Y", true};
const OptionSpec kDragOption = {"drag", "X,Y,DX,DY", true};

const CommandLine kEditor = {
    "editor",
    "--png FILE.png | --save-state FILE.aupreset [options]",
    "Opens the plug-in's editor as a host does (the view its Cocoa view factory makes,\n"
    "in a window), applies --state, --preset and every --set, then the mouse actions\n"
    "in the order given, lets the editor redraw and writes what the window shows to\n"
    "FILE as a PNG picture, and the state the clicks and drags left to a state file\n"
    "that 'kelvo render --state' takes. Points are editor pixels counted from the\n"
    "top left, inside the editor (367 x 630 for Kelvo).\n"
    "\n"
    "  --png FILE.png      the picture to write\n"
    "  --save-state FILE   the state to write after the mouse actions\n"
    "  --name NAME         the preset name --save-state's file carries\n"
    "  --click X,Y         press and release the left button at X,Y (repeatable)\n"
    "  --drag X,Y,DX,DY    press at X,Y, move by DX,DY (down and right are positive),\n"
    "                      release (repeatable)\n"
    "  --state FILE        start from a saved state\n"
    "  --strict            refuse a --state whose values the plug-in would have to change\n"
    "  --preset N          select factory preset N\n"
    "  --set NAME=VALUE    set a parameter in its display units (repeatable)\n"
    "  --quiet             say nothing but errors\n"
    "  --bundle PATH       the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kPngOption,
     {"save-state", "FILE", false},
     {"name", "NAME", false},
     kClickOption,
     kDragOption,
     kStateOption,
     kStrictOption,
     kPresetOption,
     kSetOption,
     kQuietOption,
     kBundleOption},
};

// One scripted mouse action.
struct MouseAction
{
  bool drag;
  int x, y, dx, dy;
  std::string text;  // as given
};

// Reads "X,Y" (click) or "X,Y,DX,DY" (drag), each a whole number within +-100000.
bool ParseAction(const std::string& name, const std::string& text, MouseAction& out)
{
  std::vector<long> v;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    long n = 0;
    if (!ParseInt(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), -100000, 100000,
                  n))
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
  out.text = text;
  return true;
}

int Run(const Args& args)
{
  std::vector<MouseAction> actions;
  for (const auto& given : args.InOrder({"click", "drag"})) {
    MouseAction a;
    if (!ParseAction(given.first, given.second, a))
      return Misuse(kEditor, "--" + given.first + " takes " + (given.first == "drag" ? "X,Y,DX,DY" : "X,Y") +
                                 " in whole pixels, not '" + given.second + "'");
    actions.push_back(a);
  }
  const std::string png = args.Value("png"), saveState = args.Value("save-state"), name = args.Value("name");
  if (png.empty() && saveState.empty()) return Misuse(kEditor, "missing --png FILE.png or --save-state FILE");
  if (args.Has("png") && (png.size() < 5 || strcasecmp(png.c_str() + png.size() - 4, ".png") != 0))
    return Misuse(kEditor, "--png writes a PNG picture; its name must end in .png, not '" + png + "'");
  if (args.Has("name") && saveState.empty()) return Misuse(kEditor, "--name goes with --save-state");
  if (args.Has("name") && (name.empty() || name.size() > 63))
    return Misuse(kEditor, "--name takes 1 to 63 bytes of text, not " + std::to_string(name.size()));
  if (!args.Positional().empty()) return Misuse(kEditor, "unexpected argument '" + args.Positional()[0] + "'");

  AUSession session;
  int status = LoadPlugin(kEditor, args, session);
  if (status != kExitOk) return status;
  if ((status = ApplyPluginOptions(kEditor, args, session)) != kExitOk) return status;

  std::string err;
  EditorWindow window;
  if (!window.Open(session.Unit(), err)) return Fail(err);
  // Actions go where a user's mouse can go: inside the editor, start and end.
  for (size_t i = 0; i < actions.size(); ++i) {
    const MouseAction& a = actions[i];
    const int points[2][2] = {{a.x, a.y}, {a.x + a.dx, a.y + a.dy}};
    for (const auto& pt : points)
      if (pt[0] < 0 || pt[1] < 0 || pt[0] >= window.Width() || pt[1] >= window.Height())
        return Misuse(kEditor, std::string("--") + (a.drag ? "drag" : "click") + " " + a.text + " reaches " +
                                   std::to_string(pt[0]) + "," + std::to_string(pt[1]) + ", outside the " +
                                   std::to_string(window.Width()) + " x " + std::to_string(window.Height()) +
                                   " editor (0,0 to " + std::to_string(window.Width() - 1) + "," +
                                   std::to_string(window.Height() - 1) + ")");
  }
  NSWorkspace::clearOpenedURLs();
  window.Settle();
  for (const MouseAction& a : actions) {
    if (a.drag)
      window.Drag(a.x, a.y, a.dx, a.dy);
    else
      window.Click(a.x, a.y);
    window.Settle();
  }
  if (!png.empty() && !WritePNGFile(png, window.Pixels(), window.Width(), window.Height(), window.BytesPerRow(), err))
    return Fail(err);
  if (!saveState.empty() && !SaveState(session, saveState, name, err)) return Fail(err);
  if (args.Has("quiet")) return kExitOk;
  if (!png.empty())
    printf("Wrote the editor of %s (%d x %d) to '%s'\n", session.Name().c_str(), window.Width(), window.Height(),
           png.c_str());
  if (!saveState.empty()) printf("Saved the state the editor left into '%s'\n", saveState.c_str());
  printf("with %s\n", DescribeParameters(session).c_str());
  for (const std::string& url : NSWorkspace::openedURLs()) printf("The editor asked to open %s\n", url.c_str());
  return kExitOk;
}

}  // namespace

int RunEditor(int argc, char** argv)
{
  Args args;
  const int parsed = ParseCommandLine(kEditor, argc, argv, args);
  if (parsed >= 0) return parsed;
  NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
  const int status = Run(args);
  pool->drain();
  return status;
}
