#include "outfile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file being written, removed if the user interrupts us.
// Only one output file is pending at a time in this program.
char sInterruptedTemp[PATH_MAX + 64];

extern "C" void RemoveTempAndExit(int sig) {
  if (sInterruptedTemp[0]) unlink(sInterruptedTemp);
  signal(sig, SIG_DFL);
  raise(sig);
}

const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Removes temp when one of the interrupts arrives; interrupts that were being
// ignored stay ignored.
void WatchInterrupts(const std::string& temp) {
  if (temp.size() >= sizeof(sInterruptedTemp)) return;
  memcpy(sInterruptedTemp, temp.c_str(), temp.size() + 1);
  for (int sig : kInterrupts) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) signal(sig, RemoveTempAndExit);
  }
}

void StopWatching() {
  sInterruptedTemp[0] = 0;
  for (int sig : kInterrupts) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == RemoveTempAndExit) signal(sig, SIG_DFL);
  }
}

// Holds the interrupts back while a temporary file is created and recorded,
// so that none can leave it behind unrecorded.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kInterrupts) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &mOld);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &mOld, nullptr); }

 private:
  sigset_t mOld;
};

std::string DirOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PendingFile::~PendingFile() { Abort(); }

bool PendingFile::Create(const std::string& path, std::string& err) {
  Abort();
  mPath = mTarget = path;
  // An existing destination is replaced where it really lies (through links)
  // and keeps its permissions; nothing but a regular file is replaced.
  const mode_t mask = umask(0);
  umask(mask);
  mode_t mode = 0666 & ~mask;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      err = "cannot write '" + path + "': " + (S_ISDIR(st.st_mode) ? "Is a directory" : "not a regular file");
      return false;
    }
    char real[PATH_MAX];
    if (realpath(path.c_str(), real)) mTarget = real;
    mode = st.st_mode & 07777;
  } else if (path.empty() || path.back() == '/') {
    err = "cannot write '" + path + "': Is a directory";
    return false;
  }
  std::string temp = DirOf(mTarget) + "/." + BaseOf(mTarget) + ".XXXXXX";
  InterruptsHeld held;
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    err = "cannot write '" + path + "': " + strerror(errno);
    return false;
  }
  fchmod(fd, mode);  // mkstemp makes the file private
  mFd = fd;
  mTemp = temp;
  WatchInterrupts(mTemp);
  return true;
}

bool PendingFile::Write(const void* data, size_t size, std::string& err) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(mFd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = "cannot write '" + mPath + "': " + strerror(n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    size -= (size_t)n;
  }
  return true;
}

void PendingFile::StartWriteback() {
#if defined(__linux__)
  if (mFd >= 0) sync_file_range(mFd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool PendingFile::Commit(std::string& err) {
  if (mFd >= 0) {
    const bool ok = fsync(mFd) == 0 || errno == EINVAL;
    const int e = errno;
    if (close(mFd) != 0 || !ok) {
      mFd = -1;
      err = "cannot write '" + mPath + "': " + strerror(ok ? errno : e);
      Abort();
      return false;
    }
    mFd = -1;
  }
  if (rename(mTemp.c_str(), mTarget.c_str()) != 0) {
    err = "cannot write '" + mPath + "': " + strerror(errno);
    Abort();
    return false;
  }
  mTemp.clear();
  StopWatching();
  return true;
}

void PendingFile::Abort() {
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) {
    unlink(mTemp.c_str());
    mTemp.clear();
    StopWatching();
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0) return false;
  if (stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string ExecutableDir() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "";
  buf[n] = 0;
  return DirOf(buf);
}
