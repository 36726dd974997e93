// Files written whole or not at all: what lies in the folder after each way a write can end.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "base/atomicfile.h"
#include "base/fourcc.h"

namespace {

// A fresh folder, removed with everything in it afterwards.
struct TempDir
{
  std::string path;
  TempDir()
  {
    char name[] = "/tmp/atomicfile-XXXXXX";
    path = mkdtemp(name);
  }
  ~TempDir()
  {
    for (const std::string& f : Files()) unlink((path + "/" + f).c_str());
    rmdir(path.c_str());
  }
  std::set<std::string> Files() const
  {
    std::set<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
      closedir(d);
    }
    return names;
  }
  std::string Read(const std::string& name) const
  {
    std::ifstream in(path + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void Write(const std::string& name, const std::string& text) const
  {
    std::ofstream(path + "/" + name, std::ios::binary) << text;
  }
};

TEST(AtomicFile, TheTargetHoldsTheNewBytesOnlyAfterACommit)
{
  enum End { kCommit, kAbandon, kCommitTwice };
  struct Case
  {
    const char* name;
    bool existing;  // a target with old text is there before
    End end;
    const char* expect;  // the target's text afterwards; null: no target
  };
  const Case cases[] = {
      {"new file, committed", false, kCommit, "new"},     {"new file, abandoned", false, kAbandon, nullptr},
      {"existing file, committed", true, kCommit, "new"}, {"existing file, abandoned", true, kAbandon, "old"},
      {"committed twice", true, kCommitTwice, "new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.existing) dir.Write("out", "old");
    const std::string target = dir.path + "/out";
    {
      AtomicFile file(target.c_str());
      ASSERT_NE(file.File(), nullptr);
      EXPECT_TRUE(file.Write("new", 3));
      EXPECT_EQ(dir.Read("out"), c.existing ? "old" : "") << "nothing reaches the target before the commit";
      if (c.end != kAbandon) {
        EXPECT_TRUE(file.Commit());
      }
      if (c.end == kCommitTwice) {
        EXPECT_FALSE(file.Commit());
      }
    }
    if (c.expect) {
      EXPECT_EQ(dir.Files(), std::set<std::string>{"out"}) << "no temporary file is left";
      EXPECT_EQ(dir.Read("out"), c.expect);
    } else {
      EXPECT_TRUE(dir.Files().empty());
    }
  }
}

TEST(AtomicFile, ATargetThatCannotBeMadeLeavesNothing)
{
  TempDir dir;
  const std::string targets[] = {"", dir.path + "/missing/out"};
  for (const std::string& t : targets) {
    SCOPED_TRACE(t);
    AtomicFile file(t.c_str());
    EXPECT_EQ(file.File(), nullptr);
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(WriteFileAtomically(t.c_str(), "x", 1));
  }
  AtomicFile none(nullptr);
  EXPECT_FALSE(none.Commit());
  EXPECT_TRUE(dir.Files().empty());
}

TEST(AtomicFile, PermissionsAreThoseAskedForOrThoseOfAPlainCreate)
{
  const mode_t mask = umask(022);
  struct Case
  {
    int mode;
    mode_t expect;
  };
  const Case cases[] = {{-1, 0644}, {0600, 0600}, {0644, 0644}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    TempDir dir;
    const std::string target = dir.path + "/out";
    AtomicFile file(target.c_str(), c.mode);
    ASSERT_TRUE(file.Write("x", 1) && file.Commit());
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.expect);
  }
  umask(mask);
}

TEST(AtomicFile, WritesEmptyAndWholeContents)
{
  TempDir dir;
  const std::string target = dir.path + "/out";
  ASSERT_TRUE(WriteFileAtomically(target.c_str(), "", 0));
  EXPECT_EQ(dir.Read("out"), "");
  std::string big(1 << 20, 'k');
  ASSERT_TRUE(WriteFileAtomically(target.c_str(), big.data(), big.size()));
  EXPECT_EQ(dir.Read("out"), big);
  EXPECT_EQ(dir.Files().size(), 1u);
}

TEST(FourCC, FirstCharacterInTheMostSignificantByte)
{
  struct Case
  {
    uint32_t code, expect;
  };
  constexpr Case cases[] = {
      {FourCC("Kel1"), 0x4B656C31},
      {FourCC("Qlmh"), 0x516C6D68},
      {FourCC("aufx"), 0x61756678},
      {FourCC("\xff\x80\x01 "), 0xFF800120},  // high bytes are not sign-extended
  };
  for (const Case& c : cases) EXPECT_EQ(c.code, c.expect);
  static_assert(FourCC("CcnK") == 0x43636E4B, "usable in constant expressions");
}

}  // namespace
