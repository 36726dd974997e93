// What every kelvo subcommand shares: exit statuses, messages, the command
// line of one subcommand and getting the plug-in ready.
#pragma once

#include <string>
#include <vector>

#include "args.h"

class AUSession;

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitMisuse = 2 };

// One subcommand's command-line shape and help text.
struct CommandLine
{
  const char* name;                 // "render", "state save"
  const char* synopsis;             // "[IN] [OUT]"
  const char* help;                 // the text after the usage line
  std::vector<OptionSpec> options;  // "help" is added by Parse
};

// Prints "kelvo: message" on stderr and returns kExitFailed.
int Fail(const std::string& message);
// Prints "kelvo NAME: message" and a pointer to --help; returns kExitMisuse.
int Misuse(const CommandLine& cmd, const std::string& message);

// Prints "kelvo: warning: message" on stderr, unless --quiet was given.
void Warn(const Args& args, const std::string& message);

// Parses a subcommand's arguments. Returns -1 when the command should run,
// otherwise the status to exit with (after printing help or a misuse).
int ParseCommandLine(const CommandLine& cmd, int argc, char** argv, Args& args);

// Options shared by the commands that load the plug-in.
extern const OptionSpec kBundleOption;
extern const OptionSpec kSetOption, kPresetOption, kStateOption;
// --strict: a state file with values the unit would have to change is refused.
extern const OptionSpec kStrictOption;
// --quiet: no progress, summary or warnings; errors only.
extern const OptionSpec kQuietOption;

// Loads the plug-in from --bundle, or from the bundle built beside this
// executable. Returns kExitOk or the status to exit with.
int LoadPlugin(const CommandLine& cmd, const Args& args, AUSession& session);

// Applies --state, then --preset, then every --set in order. The command line
// is checked against the unit before anything is applied. A state's values
// that the unit had to change are warned of, or refused with --strict.
// Returns kExitOk or the status to exit with.
int ApplyPluginOptions(const CommandLine& cmd, const Args& args, AUSession& session);

// "OUT -15.00, GainM 0.70, ..." from the unit's own display texts.
std::string DescribeParameters(const AUSession& session);
