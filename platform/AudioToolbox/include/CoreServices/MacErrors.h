/* Status codes shared by the system services. */
#ifndef MACERRORS_H_
#define MACERRORS_H_
#pragma GCC system_header

#include <MacTypes.h>

enum {
  unimpErr = -4,
  fnfErr = -43,
  paramErr = -50,
  memFullErr = -108,
  resFNotFound = -193,
  invalidComponentID = -3000,
  componentNotCaptured = -3001,
  validInstancesExist = -3002,
  componentDllLoadErr = -2091,
  componentDllEntryNotFoundErr = -2092,
  coreFoundationUnknownErr = -4960,
  gestaltUnknownErr = -5550,
  gestaltUndefSelectorErr = -5551,
  badComponentInstance = (int)0x80008001,
  badComponentSelector = (int)0x80008002
};

#endif
