#pragma once
// The trace hook the framework calls at many points. This build records nothing.

#define TRACELOC __FUNCTION__, __LINE__

// Takes a function name, a line and a printf-style format with arguments; writes nothing.
void Trace(const char* funcName, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Names of wrapper selectors, properties and scopes for the trace; all "" in this build.
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);
const char* VSTOpcodeStr(int opCode);
