#include "cli.h"

#include <sys/stat.h>

#include <cstdio>

#include "outfile.h"
#include "session.h"
#include "statefile.h"

const OptionSpec kBundleOption = {"bundle", "PATH", false};
const OptionSpec kSetOption = {"set", "NAME=VALUE", true};
const OptionSpec kPresetOption = {"preset", "N", false};
const OptionSpec kStateOption = {"state", "FILE.aupreset", false};
const OptionSpec kStrictOption = {"strict", nullptr, false};
const OptionSpec kQuietOption = {"quiet", nullptr, false};

void Warn(const Args& args, const std::string& message)
{
  if (!args.Has("quiet")) fprintf(stderr, "kelvo: warning: %s\n", message.c_str());
}

int Fail(const std::string& message)
{
  fprintf(stderr, "kelvo: %s\n", message.c_str());
  return kExitFailed;
}

int Misuse(const CommandLine& cmd, const std::string& message)
{
  fprintf(stderr, "kelvo %s: %s\nTry 'kelvo %s --help'.\n", cmd.name, message.c_str(), cmd.name);
  return kExitMisuse;
}

int ParseCommandLine(const CommandLine& cmd, int argc, char** argv, Args& args)
{
  std::vector<OptionSpec> specs = cmd.options;
  specs.push_back({"help", nullptr, false});
  std::string err;
  if (!args.Parse(argc, argv, specs, err)) return Misuse(cmd, err);
  if (!args.Has("help")) return -1;
  printf("usage: kelvo %s %s\n\n%s", cmd.name, cmd.synopsis, cmd.help);
  return kExitOk;
}

int LoadPlugin(const CommandLine& cmd, const Args& args, AUSession& session)
{
  std::string bundle = args.Value("bundle");
  if (bundle.empty()) {
    const std::string dir = ExecutableDir();
    if (dir.empty()) return Misuse(cmd, "cannot tell where kelvo lives; give the plug-in with --bundle PATH");
    bundle = dir + "/../Kelvo.component";
    struct stat st;
    if (stat(bundle.c_str(), &st) != 0)
      return Fail("no plug-in bundle beside kelvo at '" + bundle +
                  "'; build it (./run.sh), or give one with --bundle PATH");
  }
  std::string err;
  if (session.Load(bundle, err)) return kExitOk;
  return Fail(err + (args.Has("bundle") ? "; give Kelvo.component with --bundle PATH" : ""));
}

int ApplyPluginOptions(const CommandLine& cmd, const Args& args, AUSession& session)
{
  std::string err;
  std::vector<ParameterSetting> settings;
  for (const std::string& text : args.Values("set")) {
    ParameterSetting s;
    if (!session.ResolveSetting(text, s, err)) return Misuse(cmd, err);
    settings.push_back(s);
  }
  long preset = -1;
  if (args.Has("preset")) {
    if (!ParseInt(args.Value("preset"), 0, 0x7fffffff, preset))
      return Misuse(cmd, "--preset takes a preset number, not '" + args.Value("preset") + "'");
    if (!session.CheckPreset(preset, err)) return Misuse(cmd, err);
  }
  if (args.Has("state")) {
    const std::string path = args.Value("state");
    CFPropertyListRef state = nullptr;
    if (!ReadStateFile(path, state, err)) return Fail(err);
    std::vector<std::string> notes;
    const bool ok = session.RestoreState(state, path, args.Has("strict"), notes, err);
    CFRelease(state);
    if (!ok) return Fail(err);
    for (const std::string& n : notes) Warn(args, n);
  }
  if (preset >= 0 && !session.SelectPreset(preset, err)) return Fail(err);
  for (const ParameterSetting& s : settings)
    if (!session.ApplySetting(s, err)) return Fail(err);
  return kExitOk;
}

std::string DescribeParameters(const AUSession& session)
{
  std::string out, err;
  for (const ParameterDesc& p : session.Parameters()) {
    float v = 0;
    std::string text;
    if (!session.ParameterValue(p.id, v, err) || !session.DisplayText(p.id, v, text, err)) text = "?";
    out += (out.empty() ? "" : ", ") + p.name + " " + text;
  }
  return out;
}
