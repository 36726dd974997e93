/* The system services used by audio components: component manager, Gestalt, status codes. */
#ifndef CORESERVICES_H_
#define CORESERVICES_H_
#pragma GCC system_header

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/MacErrors.h>
#include <CoreServices/Components.h>
#include <CoreServices/Gestalt.h>

#endif
