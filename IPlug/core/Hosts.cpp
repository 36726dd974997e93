#include "Hosts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
struct HostMatch
{
  const char* mText;
  EHost mHost;
};

// Searched in this order: the first text found anywhere in the name decides.
const HostMatch kHostMatches[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostAbletonLive},
    {"melodyne", kHostMelodyneStudio},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
};

// Display names by host value; null where a value has none.
const char* const kHostNames[] = {
    "Unknown",    "Reaper",     "ProTools",   "Cubase",
    "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
    "Samplitude", "Live",       nullptr,      nullptr,
    nullptr,      "VSTScanner", "AULab",      "Forte",
    "Chainer",    "Audition",   "Orion",      nullptr,
    "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
    "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
    "Ardour",     "Renoise",    "OpenMPT",
};
}  // namespace

EHost LookUpHost(const char* name)
{
  char lower[256];
  int n = 0;
  for (; name && name[n] && n < 255; ++n) lower[n] = (char)tolower((unsigned char)name[n]);
  lower[n] = '\0';
  for (const HostMatch& m : kHostMatches)
    if (strstr(lower, m.mText)) return m.mHost;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* name)
{
  const int n = (int)(sizeof(kHostNames) / sizeof(kHostNames[0]));
  const char* text = (host >= 0 && host < n && kHostNames[host]) ? kHostNames[host] : "Unknown";
  snprintf(name, 32, "%s", text);
}

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pRevision)
{
  *pMajor = (int)(((unsigned)version & 0xFFFF0000u) >> 16);
  *pMinor = (version & 0x0000FF00) >> 8;
  *pRevision = version & 0x000000FF;
}

int GetDecimalVersion(int version)
{
  int major, minor, revision;
  GetVersionParts(version, &major, &minor, &revision);
  return 10000 * major + 100 * minor + revision;
}

void GetVersionStr(int version, char* str)
{
  int major, minor, revision;
  GetVersionParts(version, &major, &minor, &revision);
  snprintf(str, 32, "v%d.%d.%d", major, minor, revision);
}
