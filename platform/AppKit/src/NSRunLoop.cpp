#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {
struct Delayed
{
  NSTimeInterval when;
  long order;
  id target;
  SEL sel;
  id arg;
};

struct LoopState
{
  bool realTime = false;
  NSTimeInterval simulated = 0;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::vector<NSTimer*> timers;
  std::vector<Delayed> delayed;
  long order = 0;
  void (*displayHook)() = nullptr;
};

// Never torn down: timers and delayed messages still queued at exit stay reachable.
LoopState& State()
{
  static LoopState* s = new LoopState();
  return *s;
}

void WaitUntil(NSTimeInterval t)
{
  LoopState& s = State();
  if (!s.realTime) {
    if (t > s.simulated) s.simulated = t;
    return;
  }
  NSTimeInterval wait = t - NSRunLoop::now();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
}

// The Core Foundation run loop of this thread shares the turn: its queued functions and due
// timers (event listeners made with a run loop deliver through it) run here.
void ServiceCoreFoundation() { CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false); }

void AfterEvent()
{
  ServiceCoreFoundation();
  if (State().displayHook) State().displayHook();
  NSAutoreleasePool::drainOrphans();
}
}  // namespace

NSString* const NSDefaultRunLoopMode = NSString::alloc()->initWithUTF8String("kCFRunLoopDefaultMode");
NSString* const NSRunLoopCommonModes = NSString::alloc()->initWithUTF8String("kCFRunLoopCommonModes");

NSTimeInterval NSRunLoop::now()
{
  LoopState& s = State();
  if (!s.realTime) return s.simulated;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - s.start).count();
}

void NSRunLoop::setUsesRealTime(bool real)
{
  LoopState& s = State();
  if (real == s.realTime) return;
  NSTimeInterval t = now();
  s.realTime = real;
  if (real)
    s.start = std::chrono::steady_clock::now() -
              std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(t));
  else
    s.simulated = t;
}

void NSRunLoop::setDisplayHook(void (*hook)()) { State().displayHook = hook; }

NSDate* NSDate::date() { return dateWithTimeIntervalSinceNow(0); }

NSDate* NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval t)
{
  NSDate* d = new NSDate();
  d->m_t = NSRunLoop::now() + t;
  return ns_autorelease(d);
}

NSTimeInterval NSDate::timeIntervalSinceNow() const { return m_t - NSRunLoop::now(); }

NSTimer* NSTimer::timerWithTimeInterval(NSTimeInterval interval, id target, SEL sel, id userInfo, BOOL repeats)
{
  NSTimer* t = new NSTimer();
  t->m_interval = interval > 0.0001 ? interval : 0.0001;
  t->m_target = target ? target->retain() : nullptr;
  t->m_userInfo = userInfo ? userInfo->retain() : nullptr;
  t->m_sel = sel;
  t->m_repeats = repeats;
  t->m_next = NSRunLoop::now() + t->m_interval;
  return ns_autorelease(t);
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, id target, SEL sel, id userInfo, BOOL repeats)
{
  NSTimer* t = timerWithTimeInterval(interval, target, sel, userInfo, repeats);
  NSRunLoop::currentRunLoop()->addTimer(t, NSDefaultRunLoopMode);
  return t;
}

NSTimer::~NSTimer() { invalidate(); }

void NSTimer::fire()
{
  if (!m_valid) return;
  retain();
  if (m_target) m_target->performSelector(m_sel, this);
  if (!m_repeats) invalidate();
  release();
}

void NSTimer::invalidate()
{
  if (!m_valid) return;
  m_valid = false;
  id target = m_target, info = m_userInfo;
  m_target = m_userInfo = nullptr;
  if (target) target->release();
  if (info) info->release();
}

NSRunLoop* NSRunLoop::currentRunLoop()
{
  static NSRunLoop* loop = new NSRunLoop();
  return loop;
}

void NSRunLoop::addTimer(NSTimer* timer, const void*)
{
  if (!timer || !timer->m_valid) return;
  std::vector<NSTimer*>& timers = State().timers;
  if (std::find(timers.begin(), timers.end(), timer) != timers.end()) return;
  timers.push_back(static_cast<NSTimer*>(timer->retain()));
}

int NSRunLoop::timerCount() const
{
  int n = 0;
  for (NSTimer* t : State().timers) n += t->m_valid ? 1 : 0;
  return n;
}

void NSRunLoop::addDelayedPerform(id target, SEL sel, id arg, NSTimeInterval delay)
{
  if (!target) return;
  LoopState& s = State();
  s.delayed.push_back(
      Delayed{now() + (delay > 0 ? delay : 0), s.order++, target->retain(), sel, arg ? arg->retain() : nullptr});
}

void NSRunLoop::runUntilDate(NSDate* limitDate)
{
  const NSTimeInterval limit = limitDate ? limitDate->timeIntervalSinceReferenceDate() : now();
  LoopState& s = State();
  for (;;) {
    // Drop invalidated timers.
    for (size_t i = s.timers.size(); i-- > 0;) {
      if (!s.timers[i]->m_valid) {
        NSTimer* t = s.timers[i];
        s.timers.erase(s.timers.begin() + (long)i);
        t->release();
      }
    }
    // The earliest due item: a timer or a delayed message (delayed messages first on ties).
    NSTimer* next = nullptr;
    for (NSTimer* t : s.timers)
      if (!next || t->m_next < next->m_next) next = t;
    long d = -1;
    for (size_t i = 0; i < s.delayed.size(); ++i)
      if (d < 0 || s.delayed[i].when < s.delayed[(size_t)d].when) d = (long)i;
    NSTimeInterval tTimer = next ? next->m_next : limit + 1, tDelayed = d >= 0 ? s.delayed[(size_t)d].when : limit + 1;
    NSTimeInterval t = std::min(tTimer, tDelayed);
    if (t > limit + 1e-9) break;  // a tick due at the limit (up to rounding) still runs
    WaitUntil(t);
    if (tDelayed <= tTimer) {
      Delayed job = s.delayed[(size_t)d];
      s.delayed.erase(s.delayed.begin() + d);
      job.target->performSelector(job.sel, job.arg);
      job.target->release();
      if (job.arg) job.arg->release();
    } else {
      next->m_next += next->m_interval;
      if (next->m_next <= now()) next->m_next = now() + next->m_interval;  // skipped ticks are not repeated
      next->fire();
    }
    AfterEvent();
  }
  WaitUntil(limit);
  AfterEvent();
}

void NSRunLoop::runForTimeInterval(NSTimeInterval seconds)
{
  runUntilDate(NSDate::dateWithTimeIntervalSinceNow(seconds));
}
