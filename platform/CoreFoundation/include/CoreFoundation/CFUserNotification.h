/* Alerts shown to the user. With no screen, an alert is recorded and answered by the
   response the running host has set (default: the default button). */
#ifndef CFUSERNOTIFICATION_H_
#define CFUSERNOTIFICATION_H_
#pragma GCC system_header

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

CF_EXTERN_C_BEGIN

enum {
  kCFUserNotificationStopAlertLevel = 0,
  kCFUserNotificationNoteAlertLevel = 1,
  kCFUserNotificationCautionAlertLevel = 2,
  kCFUserNotificationPlainAlertLevel = 3
};

enum {
  kCFUserNotificationDefaultResponse = 0,
  kCFUserNotificationAlternateResponse = 1,
  kCFUserNotificationOtherResponse = 2,
  kCFUserNotificationCancelResponse = 3
};

/* Shows an alert and waits for the answer, written to *responseFlags; returns 0. */
CF_EXPORT SInt32 CFUserNotificationDisplayAlert(CFTimeInterval timeout, CFOptionFlags flags, CFURLRef iconURL,
                                                CFURLRef soundURL, CFURLRef localizationURL, CFStringRef alertHeader,
                                                CFStringRef alertMessage, CFStringRef defaultButtonTitle,
                                                CFStringRef alternateButtonTitle, CFStringRef otherButtonTitle,
                                                CFOptionFlags* responseFlags);

/* Additions for hosts on this platform. */
/* The answer given to every later alert (one of the response constants). */
CF_EXPORT void CFUserNotificationSetResponse(CFOptionFlags response);
/* When echo is true, alerts are also written to stderr as "alert: <header>: <message>". */
CF_EXPORT void CFUserNotificationSetEcho(Boolean echo);
/* The number of alerts shown so far. */
CF_EXPORT CFIndex CFUserNotificationGetAlertCount(void);
/* New strings of the last alert's header and message (NULL before the first alert). */
CF_EXPORT CFStringRef CFUserNotificationCopyLastAlertHeader(void);
CF_EXPORT CFStringRef CFUserNotificationCopyLastAlertMessage(void);

CF_EXTERN_C_END

#endif
