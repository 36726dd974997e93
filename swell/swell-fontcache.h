#pragma once
// The process-wide font name cache of the GDI layer: each requested face
// name is resolved to a Core Text font name once, however often it is asked for.

#include <CoreFoundation/CoreFoundation.h>

#include <map>
#include <mutex>
#include <string>

class SWELL_FontNameCache
{
public:
  SWELL_FontNameCache() = default;
  SWELL_FontNameCache(const SWELL_FontNameCache&) = delete;
  SWELL_FontNameCache& operator=(const SWELL_FontNameCache&) = delete;
  ~SWELL_FontNameCache();

  // The Core Text name for a face name (+1 reference): the PostScript name
  // of the installed face it denotes, else the name itself. Resolved on the
  // first request only. Null when the name is not valid text.
  CFStringRef Resolve(const char* name);
  // How many names have been resolved (cache misses) so far.
  int Resolutions() const;
  // Whether the name has been resolved before.
  bool Contains(const char* name) const;

private:
  mutable std::mutex lock_;
  std::map<std::string, CFStringRef> names_;
  int resolutions_ = 0;
};

// The cache CreateFont uses.
SWELL_FontNameCache& SWELL_GetFontNameCache();
