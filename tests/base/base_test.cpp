#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/heapbuf.h"
#include "base/mutex.h"
#include "base/ptrlist.h"
#include "base/wdlstring.h"

namespace {

struct AllocCase
{
  int granul, size;
  int expect;
};

TEST(HeapBuf, AllocationRule)
{
  const AllocCase cases[] = {
      {4096, 0, 0},
      {4096, 1, 4096 - 96},       // g = 4096: (1 + 4096 + 96) & ~4095 = 4096
      {4096, 4000, 8192 - 96},    // 4000 + 4096 + 96 = 8192
      {4096, 10000, 12288 - 96},  // g = 5000 rounds down to 4096: 14192 -> 12288
      {8192, 100, 8192 - 96},     // granularity above the page
      {12000, 100, 8192 - 96},    // g = 12000 rounds down to 8192: 8388 -> 8192
      {4096, 20000000, 20000000 + 4194304 + 96 - ((20000000 + 4194304 + 96) % 4096) - 96},  // step clamps to 4 MiB
      {128, 10, 138},     // small granularity: size + g
      {128, 1000, 1500},  // g = size / 2
      {1, 1, 2},
  };
  for (const AllocCase& c : cases) {
    const int64_t expect = c.expect;
    EXPECT_EQ(WDL_HeapBuf::AllocationFor(c.size, c.granul), expect) << c.granul << " " << c.size;
    WDL_HeapBuf hb(c.granul);
    hb.Resize(c.size);
    EXPECT_EQ(hb.GetAllocated(), expect) << c.granul << " " << c.size;
    EXPECT_EQ(hb.GetSize(), c.size);
    EXPECT_EQ(hb.Get() == nullptr, c.size == 0);
  }
}

TEST(HeapBuf, GrowsOnlyPastAllocationAndShrinksOnlyWhenAllowed)
{
  WDL_HeapBuf hb;
  hb.Resize(100);
  const int alloc = hb.GetAllocated();
  void* data = hb.Get();
  hb.Resize(alloc);  // exactly the allocation: no move
  EXPECT_EQ(hb.GetAllocated(), alloc);
  EXPECT_EQ(hb.Get(), data);

  hb.Resize(50000);
  const int big = hb.GetAllocated();
  EXPECT_GT(big, 50000);
  hb.Resize(100, false);  // no shrink without permission
  EXPECT_EQ(hb.GetAllocated(), big);
  EXPECT_EQ(hb.GetSize(), 100);
  // With permission, shrinking happens below max(1, min(alloc/2, alloc - 4*granularity)).
  const int threshold = std::max(1, std::min(big / 2, big - 4 * 4096));
  hb.Resize(threshold);
  EXPECT_EQ(hb.GetAllocated(), big);
  hb.Resize(threshold - 1);
  EXPECT_EQ(hb.GetAllocated(), WDL_HeapBuf::AllocationFor(threshold - 1, 4096));

  hb.Resize(-5);  // negative counts as zero
  EXPECT_EQ(hb.GetSize(), 0);
  EXPECT_EQ(hb.Get(), nullptr);
  EXPECT_EQ(hb.GetAllocated(), 0);
}

TEST(HeapBuf, FailedGrowthKeepsStorageAndSize)
{
  WDL_HeapBuf hb;
  char* p = static_cast<char*>(hb.Resize(10));
  std::memcpy(p, "abcdefghi", 10);
  const int alloc = hb.GetAllocated();
  EXPECT_EQ(hb.Resize(INT32_MAX - 8), p);  // allocation would not fit: refused
  EXPECT_EQ(hb.GetSize(), 10);
  EXPECT_EQ(hb.GetAllocated(), alloc);
  EXPECT_STREQ(static_cast<char*>(hb.Get()), "abcdefghi");
}

TEST(TypedBuf, ResizeAddDelete)
{
  WDL_TypedBuf<double> tb;
  EXPECT_EQ(tb.Get(), nullptr);
  for (int i = 0; i < 1000; ++i) ASSERT_NE(tb.Add(i * 0.5), nullptr);
  EXPECT_EQ(tb.GetSize(), 1000);
  EXPECT_DOUBLE_EQ(tb.Get()[999], 499.5);
  tb.Delete(0);
  tb.Delete(5000);  // outside: nothing
  EXPECT_EQ(tb.GetSize(), 999);
  EXPECT_DOUBLE_EQ(tb.Get()[0], 0.5);
  EXPECT_EQ(tb.Resize(INT32_MAX), nullptr);  // too large: refused, contents kept
  EXPECT_EQ(tb.GetSize(), 999);
}

struct Tracked
{
  explicit Tracked(std::vector<int>* log, int id) : log(log), id(id) {}
  ~Tracked() { log->push_back(id); }
  std::vector<int>* log;
  int id;
};

TEST(PtrList, IndexingOwnershipAndOrderOfDestruction)
{
  std::vector<int> log;
  {
    WDL_PtrList<Tracked> list(true);
    for (int i = 0; i < 4; ++i) list.Add(new Tracked(&log, i));
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(4), nullptr);
    EXPECT_EQ(list.Get(2)->id, 2);
    list.Delete(1);  // owning: removal deletes
    EXPECT_EQ(log, std::vector<int>({1}));
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.Find(list.Get(2)), 2);
    list.Insert(0, new Tracked(&log, 9));
    EXPECT_EQ(list.Get(0)->id, 9);
  }
  EXPECT_EQ(log, std::vector<int>({1, 3, 2, 0, 9}));  // last element first

  log.clear();
  Tracked keep(&log, 7);
  {
    WDL_PtrList<Tracked> borrowed;
    borrowed.Add(&keep);
    borrowed.Delete(0);
    borrowed.Add(&keep);
  }
  EXPECT_TRUE(log.empty());  // a non-owning list deletes nothing
}

TEST(String, SetAppendFormatAndCut)
{
  WDL_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there");
  EXPECT_STREQ(s.Get(), "hello, there");
  s.Set(s.Get() + 7);  // from our own storage
  EXPECT_STREQ(s.Get(), "there");
  s.Insert(">>", 0);
  s.DeleteSub(2, 2);
  EXPECT_STREQ(s.Get(), ">>ere");
  s.SetFormatted(6, "%d-%s", 12345, "abc");
  EXPECT_STREQ(s.Get(), "12345-");
  s.AppendFormatted(10, "%.2f", 1.5);
  EXPECT_STREQ(s.Get(), "12345-1.50");
  s.SetLen(3);
  EXPECT_STREQ(s.Get(), "123");
  s.SetLen(5);
  EXPECT_STREQ(s.Get(), "123  ");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  WDL_String copy("abc");
  WDL_String other(copy);
  copy.Set("x");
  EXPECT_STREQ(other.Get(), "abc");
}

int ExitEarly(WDL_Mutex* m, int path)
{
  WDL_MutexLock lock(m);
  if (path == 0) return 0;
  if (path == 1) throw 1;
  return 2;
}

TEST(Mutex, RecursiveAndReleasedOnEveryExit)
{
  WDL_Mutex m;
  {
    WDL_MutexLock a(&m);
    WDL_MutexLock b(&m);  // the same thread may enter again
  }
  for (int path = 0; path < 3; ++path) {
    try {
      ExitEarly(&m, path);
    } catch (int) {
    }
    std::atomic<bool> got{false};
    std::thread t([&] {
      if (m.TryEnter()) {
        got = true;
        m.Leave();
      }
    });
    t.join();
    EXPECT_TRUE(got) << "path " << path;
  }
  WDL_MutexLock none(nullptr);  // a null mutex is allowed
}

}  // namespace
