// The kelvo subcommands. Each takes the arguments after its own name and
// returns the process exit status.
#pragma once

int RunRender(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunState(int argc, char** argv);
int RunEditor(int argc, char** argv);
