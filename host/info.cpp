// kelvo info: what the plug-in tells a host about itself.
#include <cstdio>

#include "cli.h"
#include "commands.h"
#include "paramnames.h"
#include "session.h"

namespace {

const CommandLine kInfo = {
    "info",
    "[options]",
    "Shows the plug-in as the host API reports it: identity, parameters,\n"
    "factory presets, channel configurations, latency and tail time, and the\n"
    "labels of the editor panel's knobs, which --set takes as names too.\n"
    "\n"
    "  --quiet           print nothing; the exit status tells whether the plug-in loads\n"
    "  --bundle PATH     the plug-in bundle (default: ../Kelvo.component beside kelvo)\n",
    {kQuietOption, kBundleOption},
};

// The names of the host API's parameter units, by unit number.
std::string UnitName(const ParameterDesc& p)
{
  static const char* const kUnits[] = {"generic",
                                       "indexed",
                                       "boolean",
                                       "percent",
                                       "seconds",
                                       "sample frames",
                                       "phase",
                                       "rate",
                                       "Hz",
                                       "cents",
                                       "semitones",
                                       "MIDI note",
                                       "MIDI controller",
                                       "dB",
                                       "linear gain",
                                       "degrees",
                                       "equal-power crossfade",
                                       "fader curve",
                                       "pan",
                                       "meters",
                                       "absolute cents",
                                       "octaves",
                                       "BPM",
                                       "beats",
                                       "ms",
                                       "ratio"};
  if (p.unit == kAudioUnitParameterUnit_CustomUnit) return p.unitName.empty() ? "custom" : p.unitName;
  if (p.unit < sizeof(kUnits) / sizeof(kUnits[0])) return kUnits[p.unit];
  return "unit " + std::to_string(p.unit);
}

std::string Number(double v)
{
  char buf[32];
  snprintf(buf, sizeof(buf), "%g", v);
  return buf;
}

}  // namespace

int RunInfo(int argc, char** argv)
{
  Args args;
  const int parsed = ParseCommandLine(kInfo, argc, argv, args);
  if (parsed >= 0) return parsed;
  if (!args.Positional().empty()) return Misuse(kInfo, "unexpected argument '" + args.Positional()[0] + "'");
  AUSession session;
  const int status = LoadPlugin(kInfo, args, session);
  if (status != kExitOk || args.Has("quiet")) return status;
  std::string err;

  const AudioComponentDescription& d = session.Description();
  UInt32 version = 0;
  AudioComponentGetVersion(session.Component(), &version);
  printf("%s by %s\n", session.Name().c_str(), session.Maker().c_str());
  printf("  type %s  subtype %s  manufacturer %s\n", FourCC(d.componentType).c_str(),
         FourCC(d.componentSubType).c_str(), FourCC(d.componentManufacturer).c_str());
  printf("  version %u.%u.%u (0x%08x)\n", version >> 16, (version >> 8) & 0xff, version & 0xff, version);

  printf("\nParameters:\n  %-3s %-8s %-18s %-8s %-8s %s\n", "id", "name", "range", "default", "unit", "now");
  for (const ParameterDesc& p : session.Parameters()) {
    float v = 0;
    std::string now;
    if (!session.ParameterValue(p.id, v, err) || !session.DisplayText(p.id, v, now, err)) return Fail(err);
    const std::string range = Number(p.minValue) + " to " + Number(p.maxValue);
    printf("  %-3u %-8s %-18s %-8s %-8s %s\n", (unsigned)p.id, p.name.c_str(), range.c_str(),
           Number(p.defaultValue).c_str(), UnitName(p).c_str(), now.c_str());
    if (!p.valueStrings.empty()) {
      printf("      values:");
      for (size_t i = 0; i < p.valueStrings.size(); ++i)
        printf(" %s=\"%s\"", Number(p.minValue + (double)i).c_str(), p.valueStrings[i].c_str());
      printf("\n");
    }
  }

  bool labelled = false;
  for (const PanelLabel& l : PanelLabels())
    if (FindParameter(session.Parameters(), l.parameter)) {
      if (!labelled) printf("\nPanel labels (knob centres in editor pixels):\n");
      labelled = true;
      printf("  %-6s is %-8s at %d,%d\n", l.label, l.parameter, l.x, l.y);
    }

  std::vector<std::pair<int, std::string>> presets;
  int present = -1;
  std::string presentName;
  if (!session.FactoryPresets(presets, err) || !session.PresentPreset(present, presentName, err)) return Fail(err);
  printf("\nFactory presets:%s\n", presets.empty() ? " none" : "");
  for (const auto& p : presets)
    printf("  %d \"%s\"%s\n", p.first, p.second.c_str(), p.first == present ? "  (present)" : "");

  std::vector<AUChannelInfo> configs;
  if (!session.SupportedChannels(configs, err)) return Fail(err);
  printf("\nChannel configurations (in-out):%s", configs.empty() ? " any" : "");
  for (const AUChannelInfo& c : configs) printf(" %d-%d", (int)c.inChannels, (int)c.outChannels);
  double latency = 0, tail = 0;
  if (!session.Seconds(kAudioUnitProperty_Latency, latency, err) ||
      !session.Seconds(kAudioUnitProperty_TailTime, tail, err))
    return Fail(err);
  printf("\nLatency: %s s\nTail time: %s s\n", Number(latency).c_str(), Number(tail).c_str());
  return kExitOk;
}
