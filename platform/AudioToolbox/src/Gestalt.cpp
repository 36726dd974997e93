// System facts: this platform presents itself as system 10.10.0.
#include <CoreServices/Gestalt.h>

extern "C" OSErr Gestalt(OSType selector, SInt32* response)
{
  if (!response) return paramErr;
  switch (selector) {
    case gestaltSystemVersion:
      *response = 0x1090;
      return noErr;
    case gestaltSystemVersionMajor:
      *response = 10;
      return noErr;
    case gestaltSystemVersionMinor:
      *response = 10;
      return noErr;
    case gestaltSystemVersionBugFix:
      *response = 0;
      return noErr;
    default:
      return gestaltUndefSelectorErr;
  }
}
