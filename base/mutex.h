#pragma once
// Recursive mutex and a scoped lock.

#include <pthread.h>

class WDL_Mutex
{
public:
  // A recursive mutex: the holding thread may enter again.
  WDL_Mutex()
  {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
  }
  ~WDL_Mutex() { pthread_mutex_destroy(&m_mutex); }
  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  // Blocks until this thread holds the mutex.
  void Enter() { pthread_mutex_lock(&m_mutex); }
  // Holds the mutex if it is free or already ours; true when held.
  bool TryEnter() { return pthread_mutex_trylock(&m_mutex) == 0; }
  // Releases one level of holding.
  void Leave() { pthread_mutex_unlock(&m_mutex); }

private:
  pthread_mutex_t m_mutex;
};

class WDL_MutexLock
{
public:
  // Holds `m` (which may be null) until the end of the scope.
  explicit WDL_MutexLock(WDL_Mutex* m) : m_m(m)
  {
    if (m_m) m_m->Enter();
  }
  ~WDL_MutexLock()
  {
    if (m_m) m_m->Leave();
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* m_m;
};
