#include "atomicfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

AtomicFile::AtomicFile(const char* target, int mode)
{
  if (!target || !*target) return;
  const size_t n = strlen(target);
  mTarget = strdup(target);
  mTemp = static_cast<char*>(malloc(n + 8));
  if (!mTarget || !mTemp) return;
  memcpy(mTemp, target, n);
  memcpy(mTemp + n, ".XXXXXX", 8);
  const int fd = mkstemp(mTemp);
  if (fd < 0) {
    free(mTemp);
    mTemp = nullptr;
    return;
  }
  if (mode < 0) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd, (mode_t)mode);  // mkstemp makes the file private
  mFile = fdopen(fd, "wb");
  if (!mFile) {
    close(fd);
    unlink(mTemp);
    free(mTemp);
    mTemp = nullptr;
  }
}

AtomicFile::~AtomicFile()
{
  if (mFile) fclose(mFile);
  if (mTemp) unlink(mTemp);
  free(mTemp);
  free(mTarget);
}

bool AtomicFile::Write(const void* data, size_t n)
{
  if (!mFile) return false;
  if (n && fwrite(data, 1, n, mFile) != n) mFailed = true;
  return !mFailed;
}

bool AtomicFile::Commit()
{
  if (!mFile) return false;
  bool ok = !mFailed && !ferror(mFile);
  ok = fclose(mFile) == 0 && ok;
  mFile = nullptr;
  ok = ok && rename(mTemp, mTarget) == 0;
  if (!ok) unlink(mTemp);
  free(mTemp);
  mTemp = nullptr;
  return ok;
}

bool WriteFileAtomically(const char* path, const void* data, size_t n)
{
  AtomicFile file(path);
  return file.Write(data, n) && file.Commit();
}
