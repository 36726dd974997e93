#include "args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

bool Args::Parse(int argc, char** argv, const std::vector<OptionSpec>& specs, std::string& err)
{
  bool optionsDone = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsDone || arg.size() < 2 || arg[0] != '-') {
      mPositional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
      continue;
    }
    if (arg[1] != '-') {
      err = "unknown option '" + arg + "'";
      return false;
    }
    std::string name = arg.substr(2), value;
    const size_t eq = name.find('=');
    const bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : specs)
      if (name == s.name) spec = &s;
    if (!spec) {
      err = "unknown option '--" + name + "'";
      return false;
    }
    if (!spec->valueName && inlineValue) {
      err = "option '--" + name + "' takes no value";
      return false;
    }
    if (spec->valueName && !inlineValue) {
      if (i + 1 >= argc) {
        err = "option '--" + name + "' needs a value (" + spec->valueName + ")";
        return false;
      }
      value = argv[++i];
    }
    if (!spec->repeatable && Has(spec->name)) {
      err = "option '--" + name + "' given twice";
      return false;
    }
    mGiven.push_back({name, value});
  }
  return true;
}

bool Args::Has(const char* name) const
{
  for (const Given& g : mGiven)
    if (g.name == name) return true;
  return false;
}

std::string Args::Value(const char* name) const
{
  std::string v;
  for (const Given& g : mGiven)
    if (g.name == name) v = g.value;
  return v;
}

std::vector<std::string> Args::Values(const char* name) const
{
  std::vector<std::string> v;
  for (const Given& g : mGiven)
    if (g.name == name) v.push_back(g.value);
  return v;
}

std::vector<std::pair<std::string, std::string>> Args::InOrder(const std::vector<std::string>& names) const
{
  std::vector<std::pair<std::string, std::string>> v;
  for (const Given& g : mGiven)
    for (const std::string& n : names)
      if (g.name == n) v.emplace_back(g.name, g.value);
  return v;
}

bool ParseInt(const std::string& text, long lo, long hi, long& out)
{
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = strtol(text.c_str(), &end, 10);
  if (errno || *end || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseNumber(const std::string& text, double& out)
{
  if (text.empty() || isspace((unsigned char)text[0])) return false;
  char* end = nullptr;
  errno = 0;
  const double v = strtod(text.c_str(), &end);
  if (errno || *end || !std::isfinite(v)) return false;
  out = v;
  return true;
}
