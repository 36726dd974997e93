// Output files that appear whole or not at all, and outputs written as they go.
#pragma once

#include <string>

// A destination for one output. A regular file, or a name not yet taken, is
// written under a temporary name beside it and renamed over it by Commit():
// until then the destination is untouched, and a PendingFile destroyed without
// Commit() (or an interrupt) removes its temporary file. An existing regular
// file is replaced where it really lies (a link to it is followed) and keeps
// its permissions.
//
// A descriptor of this process ("-" for standard output, /dev/stdout,
// /dev/fd/N, /proc/self/fd/N, or a link to one of them), a pipe, a socket or a
// device is written in place, never replaced: what the descriptor held before
// stays, and its user may write after us. A terminal and a directory are
// refused.
class PendingFile
{
public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Opens the destination for path; false with the reason on failure. When
  // the destination cannot seek and unseekableRefusal is not empty, it is
  // refused with that text as the reason (checked before a pipe is opened, so
  // nothing waits for a reader in vain).
  bool Create(const std::string& path, std::string& err, const std::string& unseekableRefusal = "");
  // The open descriptor, owned by this object.
  int Fd() const { return mFd; }
  // True when the descriptor writes to the same open file as descriptor fd.
  bool SameAs(int fd) const;
  // Writes all bytes; false with the reason on failure.
  bool Write(const void* data, size_t size, std::string& err);
  // Asks the system to start writing what has been written so far to disk,
  // without waiting, so that Commit() has little left to wait for.
  void StartWriteback();
  // Flushes, closes and (unless written in place) renames the file to its destination.
  bool Commit(std::string& err);
  // Removes the temporary file now; an output written in place stays as far as it got.
  void Abort();
  // The destination as the user named it ("standard output" for "-").
  const std::string& Path() const { return mPath; }

private:
  bool OpenInPlace(int fd, bool owned, const std::string& unseekableRefusal, std::string& err);

  std::string mPath, mTarget, mTemp;  // as named, where it really lies, the temporary name
  int mFd = -1;
  int mSlot = -1;  // this output's entry in the interrupt notes
  bool mInPlace = false;
};

// The last component of path.
std::string BaseName(const std::string& path);

// "standard input"/"standard output" for "-", else the path in quotes.
std::string NameOf(const std::string& path, bool output);

// The descriptor of this process that path names ("-" is not one of them):
// /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N,
// /proc/PID/fd/N of this process, or a chain of links ending at one of them.
// -1 when it names none.
int DescriptorNamed(const std::string& path);

// When the user interrupts a run, what was left untouched is told on stderr;
// text (at most 255 bytes) is told after the notes of the outputs in progress.
void SetInterruptNote(const std::string& text);

// True when both paths name the same existing file, through any links.
bool SameFile(const std::string& a, const std::string& b);

// The directory holding the running executable, or "" when it cannot be found.
std::string ExecutableDir();
