#include "outfile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The outputs in progress, for the interrupt handler: each one's temporary
// file (removed) and a note saying what was left untouched (told). Outputs
// run side by side in a batch, so there are several; each entry is filled
// before it is marked in use, and the handler reads only entries in use.
struct InterruptEntry
{
  std::atomic<int> inUse{0};
  char temp[PATH_MAX + 64];
  char note[PATH_MAX + 128];
};
constexpr int kEntries = 64;
InterruptEntry sEntries[kEntries];
char sTrailer[256];
std::atomic<bool> sHandlersSet{false};
bool sStderrIsTerminal = false;

const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

void Say(const char* text)
{
  size_t left = strlen(text);
  while (left > 0) {
    const ssize_t n = write(2, text, left);
    if (n <= 0) return;
    text += n;
    left -= (size_t)n;
  }
}

extern "C" void TellAndExit(int sig)
{
  // A progress bar may hold the line.
  Say(sStderrIsTerminal ? "\r\033[Kkelvo: interrupted\n" : "kelvo: interrupted\n");
  for (InterruptEntry& e : sEntries) {
    if (e.inUse.load(std::memory_order_acquire) != 1) continue;
    if (e.temp[0]) unlink(e.temp);
    Say(e.note);
  }
  Say(sTrailer);
  signal(sig, SIG_DFL);
  raise(sig);
}

// Installs the handler once; interrupts that were being ignored stay ignored.
void WatchInterrupts()
{
  if (sHandlersSet.exchange(true)) return;
  sStderrIsTerminal = isatty(2);
  for (int sig : kInterrupts) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) signal(sig, TellAndExit);
  }
}

void Copy(char* to, size_t size, const std::string& text)
{
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(to, text.data(), n);
  to[n] = 0;
}

// Claims an entry for an output; -1 when all are taken (the output then goes
// unnoted, which only costs the message).
int ClaimEntry(const std::string& temp, const std::string& note)
{
  WatchInterrupts();
  for (int i = 0; i < kEntries; ++i) {
    int expected = 0;
    if (!sEntries[i].inUse.compare_exchange_strong(expected, 2)) continue;
    Copy(sEntries[i].temp, sizeof(sEntries[i].temp), temp);
    Copy(sEntries[i].note, sizeof(sEntries[i].note), "kelvo: " + note + "\n");
    sEntries[i].inUse.store(1, std::memory_order_release);
    return i;
  }
  return -1;
}

void ReleaseEntry(int& i)
{
  if (i >= 0) sEntries[i].inUse.store(0, std::memory_order_release);
  i = -1;
}

// Holds the interrupts back in this thread while a temporary file is created
// and recorded, so that none can leave it behind unrecorded.
class InterruptsHeld
{
public:
  InterruptsHeld()
  {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kInterrupts) sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, &mOld);
  }
  ~InterruptsHeld() { pthread_sigmask(SIG_SETMASK, &mOld, nullptr); }

private:
  sigset_t mOld;
};

std::string DirOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The number after prefix when path is prefix followed by digits only, else -1.
int NumberAfter(const std::string& path, const std::string& prefix)
{
  if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size() || path.size() > prefix.size() + 9)
    return -1;
  int n = 0;
  for (size_t i = prefix.size(); i < path.size(); ++i) {
    if (path[i] < '0' || path[i] > '9') return -1;
    n = n * 10 + (path[i] - '0');
  }
  return n;
}

int DescriptorOfName(const std::string& path)
{
  static const char* const kStd[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
  for (int i = 0; i < 3; ++i)
    if (path == kStd[i]) return i;
  const std::string prefixes[] = {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/",
                                  "/proc/" + std::to_string((long)getpid()) + "/fd/"};
  for (const std::string& p : prefixes) {
    const int n = NumberAfter(path, p);
    if (n >= 0) return n;
  }
  return -1;
}

}  // namespace

std::string BaseName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NameOf(const std::string& path, bool output)
{
  if (path == "-") return output ? "standard output" : "standard input";
  return "'" + path + "'";
}

int DescriptorNamed(const std::string& path)
{
  std::string at = path;
  for (int hop = 0; hop < 40; ++hop) {
    const int fd = DescriptorOfName(at);
    if (fd >= 0) return fd;
    char link[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), link, sizeof(link) - 1);
    if (n <= 0) return -1;
    link[n] = 0;
    at = link[0] == '/' ? std::string(link) : DirOf(at) + "/" + link;
  }
  return -1;
}

void SetInterruptNote(const std::string& text) { Copy(sTrailer, sizeof(sTrailer), text.empty() ? "" : text + "\n"); }

PendingFile::~PendingFile() { Abort(); }

bool PendingFile::OpenInPlace(int fd, bool owned, const std::string& unseekableRefusal, std::string& err)
{
  const std::string name = NameOf(mPath, true);
  if (isatty(fd)) {
    if (owned) close(fd);
    err = "cannot write " + name + ": it is a terminal; send the sound to a file or a pipe";
    return false;
  }
  // Appending descriptors cannot go back to finish a header.
  const int flags = fcntl(fd, F_GETFL);
  const bool seekable = lseek(fd, 0, SEEK_CUR) >= 0 && !(flags >= 0 && (flags & O_APPEND));
  if (!seekable && !unseekableRefusal.empty()) {
    if (owned) close(fd);
    err = "cannot write " + name + ": " + unseekableRefusal;
    return false;
  }
  mFd = owned ? fd : fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (mFd < 0) {
    err = "cannot write " + name + ": " + strerror(errno);
    return false;
  }
  mInPlace = true;
  mSlot = ClaimEntry("", "the output to " + name + " stops part way");
  return true;
}

bool PendingFile::Create(const std::string& path, std::string& err, const std::string& unseekableRefusal)
{
  Abort();
  mPath = mTarget = path;
  mInPlace = false;
  if (path == "-") return OpenInPlace(1, false, unseekableRefusal, err);
  const int own = DescriptorNamed(path);
  if (own >= 0) {
    if (fcntl(own, F_GETFD) < 0) {
      err = "cannot write '" + path + "': it names descriptor " + std::to_string(own) + ", which is not open";
      return false;
    }
    return OpenInPlace(own, false, unseekableRefusal, err);
  }
  // An existing destination is replaced where it really lies (through links)
  // and keeps its permissions; pipes, sockets and devices are written in place.
  const mode_t mask = umask(0);
  umask(mask);
  mode_t mode = 0666 & ~mask;
  struct stat st;
  bool existed = false;
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      err = "cannot write '" + path + "': it is a directory";
      return false;
    }
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode)) {
      if (!S_ISCHR(st.st_mode) && !unseekableRefusal.empty()) {
        err = "cannot write '" + path + "': " + unseekableRefusal;
        return false;
      }
      const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0) {
        err = "cannot write '" + path + "': " + strerror(errno);
        return false;
      }
      return OpenInPlace(fd, true, unseekableRefusal, err);
    }
    if (!S_ISREG(st.st_mode)) {
      err = "cannot write '" + path + "': it is not a regular file";
      return false;
    }
    char real[PATH_MAX];
    if (realpath(path.c_str(), real)) mTarget = real;
    mode = st.st_mode & 07777;
    existed = true;
  } else if (path.empty() || path.back() == '/') {
    err = "cannot write '" + path + "': it is a directory";
    return false;
  }
  const std::string note = existed ? "'" + path + "' is as it was" : "'" + path + "' was not written";
  InterruptsHeld held;
  std::string temp = DirOf(mTarget) + "/." + BaseName(mTarget) + ".XXXXXX";
  // The name is made in the interrupt entry itself, so that no moment passes
  // with the file made and its name unrecorded.
  mSlot = ClaimEntry(temp, note);
  char* name = mSlot >= 0 ? sEntries[mSlot].temp : &temp[0];
  const int fd = mkstemp(name);
  if (fd < 0) {
    err = "cannot write '" + path + "': " + strerror(errno);
    ReleaseEntry(mSlot);
    return false;
  }
  temp = name;
  fchmod(fd, mode);  // mkstemp makes the file private
  mFd = fd;
  mTemp = temp;
  return true;
}

bool PendingFile::SameAs(int fd) const
{
  struct stat a, b;
  if (mFd < 0 || fstat(mFd, &a) != 0 || fstat(fd, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool PendingFile::Write(const void* data, size_t size, std::string& err)
{
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(mFd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = "cannot write " + NameOf(mPath, true) + ": " + strerror(n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    size -= (size_t)n;
  }
  return true;
}

void PendingFile::StartWriteback()
{
#if defined(__linux__)
  if (mFd >= 0 && !mInPlace) sync_file_range(mFd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool PendingFile::Commit(std::string& err)
{
  if (mFd >= 0) {
    // Pipes and devices cannot be synced; what they took is theirs.
    const bool ok = mInPlace || fsync(mFd) == 0 || errno == EINVAL;
    const int e = errno;
    if (close(mFd) != 0 || !ok) {
      mFd = -1;
      err = "cannot write " + NameOf(mPath, true) + ": " + strerror(ok ? errno : e);
      Abort();
      return false;
    }
    mFd = -1;
  }
  if (!mInPlace && rename(mTemp.c_str(), mTarget.c_str()) != 0) {
    err = "cannot write '" + mPath + "': " + strerror(errno);
    Abort();
    return false;
  }
  mTemp.clear();
  ReleaseEntry(mSlot);
  return true;
}

void PendingFile::Abort()
{
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) {
    InterruptsHeld held;
    unlink(mTemp.c_str());
    mTemp.clear();
  }
  ReleaseEntry(mSlot);
}

bool SameFile(const std::string& a, const std::string& b)
{
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0) return false;
  if (stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string ExecutableDir()
{
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "";
  buf[n] = 0;
  return DirOf(buf);
}
