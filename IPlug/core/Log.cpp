#include "Log.h"

void Trace(const char* funcName, int line, const char* format, ...)
{
  (void)funcName;
  (void)line;
  (void)format;
}

const char* AUSelectStr(int select)
{
  (void)select;
  return "";
}

const char* AUPropertyStr(int propID)
{
  (void)propID;
  return "";
}

const char* AUScopeStr(int scope)
{
  (void)scope;
  return "";
}

const char* VSTOpcodeStr(int opCode)
{
  (void)opCode;
  return "";
}
