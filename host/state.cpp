// kelvo state save / show: the plug-in's class-info state as a file.
#include <cstdio>
#include <cstring>

#include "cli.h"
#include "commands.h"
#include "session.h"
#include "statefile.h"

namespace {

const CommandLine kState = {
    "state",
    "save|show FILE.aupreset [options]",
    "  save FILE   write the plug-in's state (after --state, --preset and --set)\n"
    "              to FILE as an XML property list\n"
    "  show FILE   list the entries of a saved state and what it sets when loaded\n"
    "\n"
    "Try 'kelvo state save --help' or 'kelvo state show --help'.\n",
    {},
};

const CommandLine kSave = {
    "state save",
    "FILE.aupreset [options]",
    "Writes the plug-in's class-info dictionary to FILE as an XML property list:\n"
    "the defaults, changed by the options in the order given here.\n"
    "\n"
    "  --state FILE      start from a saved state\n"
    "  --strict          refuse a --state whose values the plug-in would have to change\n"
    "  --preset N        select factory preset N\n"
    "  --set NAME=VALUE  set a parameter in its display units (repeatable); NAME in\n"
    "                    any case, or the knob's label on the panel (FUZZ is GainL)\n"
    "  --name NAME       the preset name the file carries (up to 63 bytes; a host\n"
    "                    loading it selects a factory preset of that name first)\n"
    "  --quiet           say nothing but errors\n"
    "  --bundle PATH     the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kStateOption, kStrictOption, kPresetOption, kSetOption, {"name", "NAME", false}, kQuietOption, kBundleOption},
};

const CommandLine kShow = {
    "state show",
    "FILE.aupreset [options]",
    "Lists the entries of a saved state with their value types, checks that the\n"
    "plug-in takes it, and shows the parameter values it restores. Values outside\n"
    "a parameter's range, or not numbers, are warned of with what they became.\n"
    "\n"
    "  --strict          refuse such values (exit status 1)\n"
    "  --quiet           print nothing; the exit status tells whether the state loads\n"
    "  --bundle PATH     the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kStrictOption, kQuietOption, kBundleOption},
};

int OneFile(const CommandLine& cmd, const Args& args)
{
  if (args.Positional().empty()) return Misuse(cmd, "missing FILE.aupreset");
  if (args.Positional().size() > 1) return Misuse(cmd, "unexpected argument '" + args.Positional()[1] + "'");
  return kExitOk;
}

int Save(int argc, char** argv)
{
  Args args;
  int status = ParseCommandLine(kSave, argc, argv, args);
  if (status >= 0) return status;
  if ((status = OneFile(kSave, args)) != kExitOk) return status;
  const std::string path = args.Positional()[0];
  const bool named = args.Has("name");
  const std::string name = args.Value("name");
  if (named && (name.empty() || name.size() > 63))
    return Misuse(kSave, "--name takes 1 to 63 bytes of text, not " + std::to_string(name.size()));
  AUSession session;
  if ((status = LoadPlugin(kSave, args, session)) != kExitOk) return status;
  if ((status = ApplyPluginOptions(kSave, args, session)) != kExitOk) return status;
  std::string err;
  if (!SaveState(session, path, named ? name : "", err)) return Fail(err);
  if (!args.Has("quiet"))
    printf("Saved the state of %s into '%s'%s\nwith %s\n", session.Name().c_str(), path.c_str(),
           named ? (" as \"" + name + "\"").c_str() : "", DescribeParameters(session).c_str());
  return kExitOk;
}

int Show(int argc, char** argv)
{
  Args args;
  int status = ParseCommandLine(kShow, argc, argv, args);
  if (status >= 0) return status;
  if ((status = OneFile(kShow, args)) != kExitOk) return status;
  const std::string path = args.Positional()[0];
  std::string err;
  CFPropertyListRef state = nullptr;
  if (!ReadStateFile(path, state, err)) return Fail(err);
  const bool quiet = args.Has("quiet");
  const std::vector<std::string> lines = DescribeState(state);
  if (!quiet) {
    printf("'%s': class-info dictionary of %zu entries\n", path.c_str(), lines.size());
    for (const std::string& line : lines) printf("  %s\n", line.c_str());
  }
  AUSession session;
  status = LoadPlugin(kShow, args, session);
  std::vector<std::string> notes;
  const bool ok = status == kExitOk && session.RestoreState(state, path, args.Has("strict"), notes, err);
  CFRelease(state);
  if (status != kExitOk) return status;
  if (!ok) return Fail(err);
  for (const std::string& n : notes) Warn(args, n);
  if (!quiet) printf("Loaded into %s it gives %s\n", session.Name().c_str(), DescribeParameters(session).c_str());
  return kExitOk;
}

}  // namespace

int RunState(int argc, char** argv)
{
  if (argc >= 1 && strcmp(argv[0], "save") == 0) return Save(argc - 1, argv + 1);
  if (argc >= 1 && strcmp(argv[0], "show") == 0) return Show(argc - 1, argv + 1);
  Args args;
  const int parsed = ParseCommandLine(kState, argc, argv, args);
  if (parsed >= 0) return parsed;
  if (argc == 0) return Misuse(kState, "missing 'save' or 'show'");
  return Misuse(kState, "unknown action '" + std::string(argv[0]) + "'; use 'save' or 'show'");
}
