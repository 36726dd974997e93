// Alerts without a screen: recorded, optionally echoed, and answered with the host's chosen response.
#include "CFRuntime.h"

#include <cstdio>
#include <mutex>

namespace {

struct AlertState
{
  std::mutex lock;
  CFOptionFlags response = kCFUserNotificationDefaultResponse;
  bool echo = false;
  CFIndex count = 0;
  std::string header, message;
};

AlertState& state()
{
  static AlertState* s = new AlertState;
  return *s;
}

}  // namespace

extern "C" {

SInt32 CFUserNotificationDisplayAlert(CFTimeInterval, CFOptionFlags, CFURLRef, CFURLRef, CFURLRef,
                                      CFStringRef alertHeader, CFStringRef alertMessage, CFStringRef, CFStringRef,
                                      CFStringRef, CFOptionFlags* responseFlags)
{
  AlertState& s = state();
  std::lock_guard<std::mutex> hold(s.lock);
  s.count++;
  s.header = cf::utf8(alertHeader);
  s.message = cf::utf8(alertMessage);
  if (s.echo) fprintf(stderr, "alert: %s: %s\n", s.header.c_str(), s.message.c_str());
  if (responseFlags) *responseFlags = s.response;
  return 0;
}

void CFUserNotificationSetResponse(CFOptionFlags response)
{
  std::lock_guard<std::mutex> hold(state().lock);
  state().response = response;
}

void CFUserNotificationSetEcho(Boolean echo)
{
  std::lock_guard<std::mutex> hold(state().lock);
  state().echo = echo;
}

CFIndex CFUserNotificationGetAlertCount(void)
{
  std::lock_guard<std::mutex> hold(state().lock);
  return state().count;
}

CFStringRef CFUserNotificationCopyLastAlertHeader(void)
{
  std::lock_guard<std::mutex> hold(state().lock);
  return state().count ? cf::makeString(nullptr, state().header) : nullptr;
}

CFStringRef CFUserNotificationCopyLastAlertMessage(void)
{
  std::lock_guard<std::mutex> hold(state().lock);
  return state().count ? cf::makeString(nullptr, state().message) : nullptr;
}

}  // extern "C"
