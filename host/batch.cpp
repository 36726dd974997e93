#include "batch.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

void RunSideBySide(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   const std::function<void()>& watch)
{
  std::atomic<size_t> next{0};
  std::mutex lock;
  std::condition_variable finished;
  size_t running = 0;
  const unsigned n = (unsigned)std::min<size_t>(std::max(1u, threads), count);
  // New threads take the signal mask of the thread that makes them.
  sigset_t interrupts, old;
  sigemptyset(&interrupts);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, sig);
  pthread_sigmask(SIG_BLOCK, &interrupts, &old);
  std::vector<std::thread> pool;
  running = n;
  for (unsigned t = 0; t < n; ++t)
    pool.emplace_back([&] {
      for (size_t i; (i = next.fetch_add(1)) < count;) work(i);
      std::lock_guard<std::mutex> hold(lock);
      if (--running == 0) finished.notify_all();
    });
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  {
    std::unique_lock<std::mutex> hold(lock);
    while (running > 0) {
      hold.unlock();
      watch();
      hold.lock();
      finished.wait_for(hold, std::chrono::milliseconds(100), [&] { return running == 0; });
    }
  }
  for (std::thread& t : pool) t.join();
}
