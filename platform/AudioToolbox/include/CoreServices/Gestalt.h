/* System facts by selector. */
#ifndef GESTALT_H_
#define GESTALT_H_
#pragma GCC system_header

#include <MacTypes.h>
#include <CoreServices/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  gestaltSystemVersion = 'sysv',
  gestaltSystemVersionMajor = 'sys1',
  gestaltSystemVersionMinor = 'sys2',
  gestaltSystemVersionBugFix = 'sys3'
};

/* Answers the selector in *response: this platform reports system 10.10.0 ('sysv' 0x1090,
   the minor and fix digits held at 9 as the packed form does). Unknown selectors give
   gestaltUndefSelectorErr; a NULL response gives paramErr. */
extern __attribute__((visibility("default"))) OSErr Gestalt(OSType selector, SInt32* response);

#ifdef __cplusplus
}
#endif

#endif
