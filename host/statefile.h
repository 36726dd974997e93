// Saved states: the unit's class-info dictionary as an XML property list file.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <vector>

// Reads a state file. It must be a property list holding a dictionary with
// the class-info keys in their types: "version", "type", "subtype" and
// "manufacturer" numbers, a "name" string of at most 63 bytes and a non-empty
// "data" blob. False with what is wrong otherwise; out is the caller's to
// release on success.
bool ReadStateFile(const std::string& path, CFPropertyListRef& out, std::string& err);

// Writes a state as an XML property list; the file appears only when whole.
bool WriteStateFile(const std::string& path, CFPropertyListRef state, std::string& err);

class AUSession;

// Writes the unit's state to path; with a name that is not empty, the file
// carries that preset name instead of the unit's own.
bool SaveState(const AUSession& session, const std::string& path, const std::string& name, std::string& err);

// One line per dictionary entry: key, value type and value, class-info keys
// first in their usual order, other keys after them.
std::vector<std::string> DescribeState(CFPropertyListRef state);
