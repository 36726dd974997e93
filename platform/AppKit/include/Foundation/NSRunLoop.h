#pragma once
// Dates, timers and the main run loop on a clock that tests advance and hosts may run in real time.

#include "NSObject.h"

class NSDate : public NSObject
{
public:
  // The run loop clock's present time, as an autoreleased date.
  static NSDate* date();
  static NSDate* dateWithTimeIntervalSinceNow(NSTimeInterval t);
  NSTimeInterval timeIntervalSinceReferenceDate() const { return m_t; }
  NSTimeInterval timeIntervalSinceNow() const;
  const char* className() const override { return "NSDate"; }

private:
  NSTimeInterval m_t = 0;
};

class NSTimer : public NSObject
{
public:
  // An autoreleased, not yet scheduled timer that sends `sel` to `target` (with the timer as
  // argument) every `interval` seconds, or once. The timer retains its target and userInfo
  // until it is invalidated.
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, id target, SEL sel, id userInfo, BOOL repeats);
  // The same, added to the current run loop in the default mode.
  static NSTimer* scheduledTimerWithTimeInterval(NSTimeInterval interval, id target, SEL sel, id userInfo,
                                                 BOOL repeats);

  // Sends the message now (a non-repeating timer is then invalidated).
  void fire();
  // Stops the timer for good and drops its target and userInfo.
  void invalidate();
  BOOL isValid() const { return m_valid; }
  NSTimeInterval timeInterval() const { return m_interval; }
  id userInfo() const { return m_userInfo; }
  NSTimeInterval fireTime() const { return m_next; }
  const char* className() const override { return "NSTimer"; }

protected:
  ~NSTimer() override;

private:
  friend class NSRunLoop;
  NSTimeInterval m_interval = 0, m_next = 0;
  id m_target = nullptr;
  id m_userInfo = nullptr;
  SEL m_sel = nullptr;
  bool m_repeats = false, m_valid = true;
};

class NSRunLoop : public NSObject
{
public:
  // The one run loop (the main thread's).
  static NSRunLoop* currentRunLoop();
  static NSRunLoop* mainRunLoop() { return currentRunLoop(); }

  // Schedules a timer (retained while valid); `mode` is any run-loop mode name.
  void addTimer(NSTimer* timer, const void* mode);
  // Runs timers, delayed messages and the window display cycle until `limit`.
  void runUntilDate(NSDate* limit);

  // Stand-in additions. The clock is simulated by default: running advances it without
  // waiting. With real time on, running waits on the system clock.
  void runForTimeInterval(NSTimeInterval seconds);
  static void setUsesRealTime(bool real);
  static NSTimeInterval now();
  // Number of valid timers scheduled.
  int timerCount() const;
  // Called after each event the loop handles (the window layer's display cycle hooks in here).
  static void setDisplayHook(void (*hook)());

  // Queues a delayed message (used by performSelectorAfterDelay).
  void addDelayedPerform(id target, SEL sel, id arg, NSTimeInterval delay);

  const char* className() const override { return "NSRunLoop"; }
};

extern NSString* const NSDefaultRunLoopMode;
extern NSString* const NSRunLoopCommonModes;
