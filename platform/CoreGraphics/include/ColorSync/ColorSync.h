#pragma once
// Display colour profiles, as far as colour-space creation needs them.

#include <CoreFoundation/CoreFoundation.h>

typedef struct OpaqueCMProfileRef* CMProfileRef;
typedef OSStatus CMError;

extern "C" {
// The system display profile; the caller closes it with CMCloseProfile.
CMError CMGetSystemProfile(CMProfileRef* profile);
CMError CMCloseProfile(CMProfileRef profile);
}
