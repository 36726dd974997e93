// kelvo: renders audio through the Kelvo plug-in as an Audio Unit host does.
#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "cli.h"
#include "commands.h"

namespace {

// The subcommands; a new one is one more row.
const struct
{
  const char* name;
  int (*run)(int argc, char** argv);
  const char* summary;
} kCommands[] = {
    {"render", RunRender, "render a sound file (or the built-in demo) through Kelvo"},
    {"info", RunInfo, "show what the plug-in reports to a host"},
    {"state", RunState, "save or show a plug-in state file (.aupreset)"},
    {"editor", RunEditor, "draw the plug-in's editor into a PNG picture, after scripted clicks and drags"},
};

void Usage(FILE* to)
{
  fprintf(to, "usage: kelvo COMMAND [ARGS]\n       kelvo help COMMAND\n       kelvo --version\n\nCommands:\n");
  for (const auto& c : kCommands) fprintf(to, "  %-8s %s\n", c.name, c.summary);
  fprintf(to,
          "\n'kelvo help COMMAND' (or 'kelvo COMMAND --help') describes each command;\n"
          "every command takes --quiet.\n");
}

// Runs the named command with the remaining arguments; misuse when none has that name.
int Dispatch(int argc, char** argv)
{
  for (const auto& c : kCommands)
    if (strcmp(argv[0], c.name) == 0) return c.run(argc - 1, argv + 1);
  fprintf(stderr, "kelvo: unknown command '%s'\n", argv[0]);
  Usage(stderr);
  return kExitMisuse;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 2) {
    Usage(stderr);
    return kExitMisuse;
  }
  if (strcmp(argv[1], "--version") == 0) {
    printf("kelvo %s, an Audio Unit host for Kelvo (%s)\n", KELVO_HOST_VERSION, sf_version_string());
    return kExitOk;
  }
  if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 || (strcmp(argv[1], "help") == 0 && argc == 2)) {
    Usage(stdout);
    return kExitOk;
  }
  if (strcmp(argv[1], "help") == 0) {
    // "help state save" is "state save --help".
    std::vector<char*> args(argv + 2, argv + argc);
    static char help[] = "--help";
    args.push_back(help);
    return Dispatch((int)args.size(), args.data());
  }
  return Dispatch(argc - 1, argv + 1);
}
