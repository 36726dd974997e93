// Run loops: one per thread, running queued functions and timers of the mode it runs in.
#include "CFRuntime.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

struct __CFRunLoopTimer : __CFObject
{
  ~__CFRunLoopTimer() override
  {
    if (ctx.release && ctx.info) ctx.release(ctx.info);
  }
  CFTypeID typeID() const override { return cf::kRunLoopTimer; }

  CFAbsoluteTime fireDate = 0;
  CFTimeInterval interval = 0;
  CFRunLoopTimerCallBack callout = nullptr;
  CFRunLoopTimerContext ctx{};
  bool valid = true;
  CFRunLoopRef loop = nullptr;  // the loop it was added to (timers belong to one loop)
};

struct __CFRunLoop : __CFObject
{
  __CFRunLoop() : __CFObject(true) {}
  CFTypeID typeID() const override { return cf::kRunLoop; }

  struct Perform
  {
    CFStringRef mode;
    void (*fn)(void*);
    void* info;
  };
  struct TimerEntry
  {
    __CFRunLoopTimer* timer;
    CFStringRef mode;
  };

  std::mutex lock;
  std::condition_variable wake;
  std::deque<Perform> performs;
  std::vector<TimerEntry> timers;  // each entry holds a reference
  bool stopped = false;
  bool woken = false;
};

const CFRunLoopMode kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFRunLoopMode kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

namespace {

struct Loops
{
  std::mutex lock;
  std::vector<__CFRunLoop*> all;  // loops live for the whole process
  __CFRunLoop* main = nullptr;
};

Loops& loops()
{
  static Loops* l = new Loops;
  return *l;
}

thread_local __CFRunLoop* tCurrent = nullptr;

// Whether something registered for itemMode runs while the loop runs in mode.
bool matches(CFStringRef itemMode, CFStringRef mode)
{
  return CFEqual(itemMode, mode) || CFEqual(itemMode, kCFRunLoopCommonModes) || CFEqual(mode, kCFRunLoopCommonModes);
}

CFStringRef modeOrDefault(CFStringRef mode) { return mode ? mode : kCFRunLoopDefaultMode; }

// Takes the timer off its loop's list; the caller holds the loop's lock.
__CFRunLoopTimer* unlink(__CFRunLoop* rl, __CFRunLoopTimer* t)
{
  for (auto it = rl->timers.begin(); it != rl->timers.end(); ++it)
    if (it->timer == t) {
      rl->timers.erase(it);
      return t;
    }
  return nullptr;
}

}  // namespace

extern "C" {

CFTypeID CFRunLoopGetTypeID(void) { return cf::kRunLoop; }
CFTypeID CFRunLoopTimerGetTypeID(void) { return cf::kRunLoopTimer; }

CFRunLoopRef CFRunLoopGetCurrent(void)
{
  if (!tCurrent) {
    Loops& l = loops();
    std::lock_guard<std::mutex> hold(l.lock);
    tCurrent = new __CFRunLoop;
    l.all.push_back(tCurrent);
    if (!l.main) l.main = tCurrent;
  }
  return tCurrent;
}

CFRunLoopRef CFRunLoopGetMain(void)
{
  {
    std::lock_guard<std::mutex> hold(loops().lock);
    if (loops().main) return loops().main;
  }
  return CFRunLoopGetCurrent();
}

CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds, Boolean returnAfterSourceHandled)
{
  __CFRunLoop* rl = CFRunLoopGetCurrent();
  mode = modeOrDefault(mode);
  using Clock = std::chrono::steady_clock;
  auto wait = [](double s) { return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s)); };
  Clock::time_point deadline = Clock::now() + wait(seconds > 0 ? std::min(seconds, 1.0e9) : 0.0);
  std::unique_lock<std::mutex> hold(rl->lock);
  for (;;) {
    if (rl->stopped) {
      rl->stopped = false;
      return kCFRunLoopRunStopped;
    }
    // Queued functions first, in order.
    auto p = std::find_if(rl->performs.begin(), rl->performs.end(),
                          [&](const __CFRunLoop::Perform& x) { return matches(x.mode, mode); });
    if (p != rl->performs.end()) {
      __CFRunLoop::Perform job = *p;
      rl->performs.erase(p);
      hold.unlock();
      job.fn(job.info);
      hold.lock();
      if (returnAfterSourceHandled) return kCFRunLoopRunHandledSource;
      continue;
    }
    // Then the earliest due timer.
    CFAbsoluteTime now = CFAbsoluteTimeGetCurrent(), next = 0;
    __CFRunLoopTimer* due = nullptr;
    bool anyTimer = false;
    for (auto& e : rl->timers) {
      if (!matches(e.mode, mode)) continue;
      if (!anyTimer || e.timer->fireDate < next) next = e.timer->fireDate;
      anyTimer = true;
      if (e.timer->fireDate <= now && (!due || e.timer->fireDate < due->fireDate)) due = e.timer;
    }
    if (due) {
      CFRetain(due);
      if (due->interval > 0) {
        due->fireDate +=
            due->interval * (1 + (CFIndex)((now - due->fireDate) / due->interval));  // skips missed firings
      } else {
        due->valid = false;
        if (unlink(rl, due)) CFRelease(due);
      }
      hold.unlock();
      due->callout(due, due->ctx.info);
      CFRelease(due);
      hold.lock();
      if (returnAfterSourceHandled) return kCFRunLoopRunHandledSource;
      continue;
    }
    bool anyPerform = std::any_of(rl->performs.begin(), rl->performs.end(),
                                  [&](const __CFRunLoop::Perform& x) { return matches(x.mode, mode); });
    if (!anyTimer && !anyPerform) return kCFRunLoopRunFinished;
    if (Clock::now() >= deadline) return kCFRunLoopRunTimedOut;
    Clock::time_point until = deadline;
    if (anyTimer) until = std::min(until, Clock::now() + wait(std::max(0.0, next - now)));
    rl->wake.wait_until(hold, until, [&] { return rl->woken || rl->stopped; });
    rl->woken = false;
  }
}

void CFRunLoopRun(void)
{
  while (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0e9, false) == kCFRunLoopRunTimedOut) {
  }
}

void CFRunLoopStop(CFRunLoopRef rl)
{
  if (!cf::is(rl, cf::kRunLoop)) return;
  std::lock_guard<std::mutex> hold(rl->lock);
  rl->stopped = true;
  rl->wake.notify_all();
}

void CFRunLoopWakeUp(CFRunLoopRef rl)
{
  if (!cf::is(rl, cf::kRunLoop)) return;
  std::lock_guard<std::mutex> hold(rl->lock);
  rl->woken = true;
  rl->wake.notify_all();
}

void CFRunLoopPerformFunction(CFRunLoopRef rl, CFRunLoopMode mode, void (*fn)(void* info), void* info)
{
  if (!cf::is(rl, cf::kRunLoop) || !fn) return;
  std::lock_guard<std::mutex> hold(rl->lock);
  rl->performs.push_back({modeOrDefault(mode), fn, info});
  rl->woken = true;
  rl->wake.notify_all();
}

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate, CFTimeInterval interval,
                                       CFOptionFlags, CFIndex, CFRunLoopTimerCallBack callout,
                                       CFRunLoopTimerContext* context)
{
  if (!callout) return nullptr;
  __CFRunLoopTimer* t = cf::create<__CFRunLoopTimer>(allocator);
  if (!t) return nullptr;
  t->fireDate = fireDate;
  t->interval = interval > 0 ? interval : 0;
  t->callout = callout;
  if (context) {
    t->ctx = *context;
    if (t->ctx.retain && t->ctx.info) t->ctx.info = (void*)t->ctx.retain(t->ctx.info);
  }
  return t;
}

void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  if (!cf::is(rl, cf::kRunLoop) || !cf::is(timer, cf::kRunLoopTimer) || !timer->valid) return;
  if (timer->loop && timer->loop != rl) return;  // a timer serves one loop
  std::lock_guard<std::mutex> hold(rl->lock);
  for (auto& e : rl->timers)
    if (e.timer == timer && CFEqual(e.mode, modeOrDefault(mode))) return;
  timer->loop = rl;
  rl->timers.push_back({(__CFRunLoopTimer*)CFRetain(timer), modeOrDefault(mode)});
  rl->woken = true;
  rl->wake.notify_all();
}

void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  if (!cf::is(rl, cf::kRunLoop) || !cf::is(timer, cf::kRunLoopTimer)) return;
  __CFRunLoopTimer* gone = nullptr;
  {
    std::lock_guard<std::mutex> hold(rl->lock);
    for (auto it = rl->timers.begin(); it != rl->timers.end(); ++it)
      if (it->timer == timer && CFEqual(it->mode, modeOrDefault(mode))) {
        gone = it->timer;
        rl->timers.erase(it);
        break;
      }
  }
  CFRelease(gone);
}

Boolean CFRunLoopContainsTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode)
{
  if (!cf::is(rl, cf::kRunLoop)) return false;
  std::lock_guard<std::mutex> hold(rl->lock);
  for (auto& e : rl->timers)
    if (e.timer == timer && matches(e.mode, modeOrDefault(mode))) return true;
  return false;
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer)
{
  if (!cf::is(timer, cf::kRunLoopTimer) || !timer->valid) return;
  timer->valid = false;
  __CFRunLoop* rl = timer->loop;
  if (!rl) return;
  std::vector<__CFRunLoopTimer*> gone;
  {
    std::lock_guard<std::mutex> hold(rl->lock);
    while (unlink(rl, timer)) gone.push_back(timer);
  }
  for (auto* t : gone) CFRelease(t);
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer) { return cf::is(timer, cf::kRunLoopTimer) && timer->valid; }

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer)
{
  return cf::is(timer, cf::kRunLoopTimer) ? timer->fireDate : 0;
}

void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate)
{
  if (!cf::is(timer, cf::kRunLoopTimer)) return;
  if (timer->loop) {
    std::lock_guard<std::mutex> hold(timer->loop->lock);
    timer->fireDate = fireDate;
    timer->loop->woken = true;
    timer->loop->wake.notify_all();
  } else {
    timer->fireDate = fireDate;
  }
}

CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer)
{
  return cf::is(timer, cf::kRunLoopTimer) ? timer->interval : 0;
}

}  // extern "C"
