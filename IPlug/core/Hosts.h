#pragma once
// Recognising the host application, and version numbers packed as major (bits 16-31),
// minor (bits 8-15), revision (bits 0-7).

enum EHost {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper,
  kHostProTools,
  kHostCubase,
  kHostNuendo,
  kHostSonar,
  kHostVegas,
  kHostFL,
  kHostSamplitude,
  kHostAbletonLive,
  kHostUnnamed10,
  kHostUnnamed11,
  kHostMelodyneStudio,
  kHostVSTScanner,
  kHostAULab,
  kHostForte,
  kHostChainer,
  kHostAudition,
  kHostOrion,
  kHostUnnamed19,
  kHostSAWStudio,
  kHostLogic,
  kHostGarageBand,
  kHostDigitalPerformer,
  kHostStandalone,
  kHostAudioMulch,
  kHostStudioOne,
  kHostVST3TestHost,
  kHostArdour,
  kHostRenoise,
  kHostOpenMPT
};

// The host whose search text occurs first (in a fixed order) in name, case ignored; unknown when none.
EHost LookUpHost(const char* name);
// Writes the host's display name (at most 32 characters with terminator); "Unknown" for values without one.
void GetHostNameStr(EHost host, char* name);

// Splits a packed version.
void GetVersionParts(int version, int* pMajor, int* pMinor, int* pRevision);
// major * 10000 + minor * 100 + revision.
int GetDecimalVersion(int version);
// Writes "v%d.%d.%d" (at most 32 characters with terminator).
void GetVersionStr(int version, char* str);
