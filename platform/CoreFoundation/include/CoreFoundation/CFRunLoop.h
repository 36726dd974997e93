/* Per-thread run loops with timers and queued functions. */
#ifndef CFRUNLOOP_H_
#define CFRUNLOOP_H_
#pragma GCC system_header

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFString.h>

CF_EXTERN_C_BEGIN

typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopTimer* CFRunLoopTimerRef;
typedef CFStringRef CFRunLoopMode;

CF_EXPORT const CFRunLoopMode kCFRunLoopDefaultMode;
CF_EXPORT const CFRunLoopMode kCFRunLoopCommonModes;

typedef SInt32 CFRunLoopRunResult;
enum { kCFRunLoopRunFinished = 1, kCFRunLoopRunStopped = 2, kCFRunLoopRunTimedOut = 3, kCFRunLoopRunHandledSource = 4 };

CF_EXPORT CFTypeID CFRunLoopGetTypeID(void);
/* The calling thread's run loop (created on first use; not to be released). */
CF_EXPORT CFRunLoopRef CFRunLoopGetCurrent(void);
/* The run loop of the thread that first asked for a run loop (normally the main thread). */
CF_EXPORT CFRunLoopRef CFRunLoopGetMain(void);
/* Runs the calling thread's loop in mode: performs queued functions and fires due timers
   until seconds have passed, CFRunLoopStop is called, or (returnAfterSourceHandled) one
   function or timer has run. Returns kCFRunLoopRunFinished at once when there is nothing to wait for. */
CF_EXPORT CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                                                Boolean returnAfterSourceHandled);
/* Runs the calling thread's loop in the default mode until stopped or out of work. */
CF_EXPORT void CFRunLoopRun(void);
CF_EXPORT void CFRunLoopStop(CFRunLoopRef rl);
CF_EXPORT void CFRunLoopWakeUp(CFRunLoopRef rl);
/* Addition on this platform: queues fn(info) to run once on rl in mode (or any mode for
   kCFRunLoopCommonModes); safe from any thread. */
CF_EXPORT void CFRunLoopPerformFunction(CFRunLoopRef rl, CFRunLoopMode mode, void (*fn)(void* info), void* info);

typedef struct
{
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
} CFRunLoopTimerContext;

typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);

CF_EXPORT CFTypeID CFRunLoopTimerGetTypeID(void);
/* A new timer first firing at fireDate, then every interval seconds (0: once). */
CF_EXPORT CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate,
                                                 CFTimeInterval interval, CFOptionFlags flags, CFIndex order,
                                                 CFRunLoopTimerCallBack callout, CFRunLoopTimerContext* context);
/* The loop retains the timer until it is invalidated or removed. */
CF_EXPORT void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode);
CF_EXPORT void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode);
CF_EXPORT Boolean CFRunLoopContainsTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode);
CF_EXPORT void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
CF_EXPORT Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);
CF_EXPORT CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer);
CF_EXPORT void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate);
CF_EXPORT CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer);

CF_EXTERN_C_END

#endif
