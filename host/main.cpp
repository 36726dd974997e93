// kelvo: renders audio through the Kelvo plug-in as an Audio Unit host does.
#include <cstdio>
#include <cstring>

#include "cli.h"
#include "commands.h"

namespace {

// The subcommands; a new one is one more row.
const struct {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* summary;
} kCommands[] = {
    {"render", RunRender, "render a sound file (or the built-in demo) through Kelvo"},
    {"info", RunInfo, "show what the plug-in reports to a host"},
    {"state", RunState, "save or show a plug-in state file (.aupreset)"},
    {"editor", RunEditor, "draw the plug-in's editor into a PNG picture, after scripted clicks and drags"},
};

void Usage(FILE* to) {
  fprintf(to, "usage: kelvo COMMAND [ARGS]\n\nCommands:\n");
  for (const auto& c : kCommands) fprintf(to, "  %-8s %s\n", c.name, c.summary);
  fprintf(to, "\n'kelvo COMMAND --help' describes each command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage(stderr);
    return kExitMisuse;
  }
  if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "help") == 0) {
    Usage(stdout);
    return kExitOk;
  }
  for (const auto& c : kCommands)
    if (strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
  fprintf(stderr, "kelvo: unknown command '%s'\n", argv[1]);
  Usage(stderr);
  return kExitMisuse;
}
