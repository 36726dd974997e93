// Program, bank and preset-source files reach the disk only after the instance mutex is released:
// a render waiting on the mutex never waits on the disk.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "core_fixture.h"

namespace {
// Called at every file creation and rename of this test binary while set.
std::function<void()> gOnDiskCall;

template <class F>
F RealCall(const char* name)
{
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

// The C library's calls, passed through after the hook: the plug-in's files are made and put in
// place through these two.
extern "C" int mkstemp(char* tmpl)
{
  if (gOnDiskCall) gOnDiskCall();
  static auto real = RealCall<int (*)(char*)>("mkstemp");
  return real(tmpl);
}

extern "C" int rename(const char* from, const char* to)
{
  if (gOnDiskCall) gOnDiskCall();
  static auto real = RealCall<int (*)(const char*, const char*)>("rename");
  return real(from, to);
}

namespace {

TEST(FileLock, EveryFileIsWrittenWithTheMutexFree)
{
  struct Case
  {
    const char* name;
    bool chunks;
    std::function<bool(core_test::TestPlug&, const std::string&)> save;
  };
  const Case cases[] = {
      {"program", false,
       [](core_test::TestPlug& p, const std::string& f) {
         WDL_String s(f.c_str());
         return p.SaveProgramAsFXP(&s);
       }},
      {"program with chunks", true,
       [](core_test::TestPlug& p, const std::string& f) {
         WDL_String s(f.c_str());
         return p.SaveProgramAsFXP(&s);
       }},
      {"bank", false,
       [](core_test::TestPlug& p, const std::string& f) {
         WDL_String s(f.c_str());
         return p.SaveBankAsFXB(&s);
       }},
      {"bank with chunks", true,
       [](core_test::TestPlug& p, const std::string& f) {
         WDL_String s(f.c_str());
         return p.SaveBankAsFXB(&s);
       }},
      {"preset source", false,
       [](core_test::TestPlug& p, const std::string& f) { return p.DumpPresetSrcCode(f.c_str(), nullptr); }},
      {"preset blob", false, [](core_test::TestPlug& p, const std::string& f) { return p.DumpPresetBlob(f.c_str()); }},
      {"bank blob", false, [](core_test::TestPlug& p, const std::string& f) { return p.DumpBankBlob(f.c_str()) == 1; }},
  };
  char dirName[] = "/tmp/kelvo-lock-XXXXXX";
  ASSERT_NE(mkdtemp(dirName), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core_test::TestPlug plug(4, "1-1 2-2", 2, c.chunks);
    plug.InitProductParams();
    plug.MakeDefaultPreset("-", 2);
    int calls = 0, heldAtCall = 0;
    gOnDiskCall = [&] {
      ++calls;
      // Another thread finds the mutex free, as a render arriving now would.
      std::thread other([&] {
        if (plug.mMutex.TryEnter())
          plug.mMutex.Leave();
        else
          ++heldAtCall;
      });
      other.join();
    };
    const std::string file = std::string(dirName) + "/out";
    const bool saved = c.save(plug, file);
    gOnDiskCall = nullptr;
    EXPECT_TRUE(saved);
    EXPECT_EQ(calls, 2) << "a temporary file made and renamed into place";
    EXPECT_EQ(heldAtCall, 0);
    unlink(file.c_str());
  }
  rmdir(dirName);
}

}  // namespace
