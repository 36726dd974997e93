// Command-line options of one kelvo subcommand.
#pragma once

#include <string>
#include <utility>
#include <vector>

// One option a subcommand accepts.
struct OptionSpec
{
  const char* name;       // long name without the leading "--"
  const char* valueName;  // null for a flag, else the name shown in usage ("N", "FILE")
  bool repeatable;        // may be given more than once
};

// The parsed command line of one subcommand.
class Args
{
public:
  // Parses argv (after the subcommand word) against the accepted options.
  // Returns false with a message naming the fault on misuse. "--opt=value" and
  // "--opt value" are both accepted; "--" ends the options.
  bool Parse(int argc, char** argv, const std::vector<OptionSpec>& specs, std::string& err);

  // True when the flag or option was given at least once.
  bool Has(const char* name) const;
  // The last value given for an option, or "" when it was not given.
  std::string Value(const char* name) const;
  // Every value given for a repeatable option, in command-line order.
  std::vector<std::string> Values(const char* name) const;
  // Every value given for any of the named options, as (name, value) in command-line order.
  std::vector<std::pair<std::string, std::string>> InOrder(const std::vector<std::string>& names) const;
  const std::vector<std::string>& Positional() const { return mPositional; }

private:
  struct Given
  {
    std::string name, value;
  };
  std::vector<Given> mGiven;
  std::vector<std::string> mPositional;
};

// Reads a whole decimal integer in [lo, hi]; false for anything else.
bool ParseInt(const std::string& text, long lo, long hi, long& out);
// Reads a whole finite decimal number; false for anything else.
bool ParseNumber(const std::string& text, double& out);
