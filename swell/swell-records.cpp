// Record pools and shared colour spaces.

#include "swell-records.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace swell {
namespace {

constexpr int kMaxPooledContexts = 100;
constexpr int kMaxPooledObjects = 200;

// Both free lists under one mutex. The pools themselves are never
// destroyed, so records released by other static destructors after unload
// are still handled: they are then freed at once.
struct Pools
{
  std::mutex lock;
  HDC__* contexts = nullptr;
  HGDIOBJ__* objects = nullptr;
  int contextCount = 0, objectCount = 0;
  bool unloaded = false;
};

// Frees both lists at unload.
struct Unloader
{
  explicit Unloader(Pools* p) : pools(p) {}
  ~Unloader()
  {
    std::lock_guard<std::mutex> hold(pools->lock);
    for (HDC__* next; pools->contexts; pools->contexts = next) {
      next = pools->contexts->next;
      std::free(pools->contexts);
    }
    for (HGDIOBJ__* next; pools->objects; pools->objects = next) {
      next = pools->objects->next;
      std::free(pools->objects);
    }
    pools->contextCount = pools->objectCount = 0;
    pools->unloaded = true;
  }
  Pools* pools;
};

Pools& ThePools()
{
  static Pools* pools = new Pools;
  static Unloader unloader(pools);
  return *pools;
}

// Takes the head of a free list, or allocates; the record is zeroed.
template <class T>
T* Take(T*& list, int& count)
{
  Pools& p = ThePools();
  T* r = nullptr;
  {
    std::lock_guard<std::mutex> hold(p.lock);
    if (list) {
      r = list;
      list = r->next;
      --count;
    }
  }
  if (!r) r = static_cast<T*>(std::malloc(sizeof(T)));
  if (r) std::memset(static_cast<void*>(r), 0, sizeof(T));
  return r;
}

// Marks the record released and pools it, or frees it beyond the limit.
template <class T>
void Give(T* r, T*& list, int& count, int limit)
{
  std::memset(static_cast<void*>(r), 0, sizeof(T));
  r->released = true;
  Pools& p = ThePools();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    if (!p.unloaded && count < limit) {
      r->next = list;
      list = r;
      ++count;
      return;
    }
  }
  std::free(r);
}

}  // namespace

HDC__* NewContext()
{
  Pools& p = ThePools();
  return Take(p.contexts, p.contextCount);
}

HGDIOBJ__* NewObject()
{
  Pools& p = ThePools();
  return Take(p.objects, p.objectCount);
}

void FreeContext(HDC__* ctx)
{
  Pools& p = ThePools();
  Give(ctx, p.contexts, p.contextCount, kMaxPooledContexts);
}

void FreeObject(HGDIOBJ__* obj)
{
  Pools& p = ThePools();
  Give(obj, p.objects, p.objectCount, kMaxPooledObjects);
}

// Made on first use (the first uses come from one thread) and kept.
CGColorSpaceRef DeviceRGB()
{
  static CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  return space;
}

CGColorRef MakeColor(int rgb)
{
  const CGFloat c[4] = {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, 1.0};
  return CGColorCreate(DeviceRGB(), c);
}

}  // namespace swell
