// Output files that appear whole or not at all.
#pragma once

#include <string>

// A file written under a temporary name beside its destination and renamed
// over it by Commit(). Until then the destination is untouched; a PendingFile
// destroyed without Commit() removes its temporary file. An existing
// destination must be a regular file; a link to one is followed, and the file
// keeps its permissions.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file for path; false with the reason on failure.
  bool Create(const std::string& path, std::string& err);
  // The open descriptor of the temporary file, owned by this object.
  int Fd() const { return mFd; }
  // Writes all bytes; false with the reason on failure.
  bool Write(const void* data, size_t size, std::string& err);
  // Asks the system to start writing what has been written so far to disk,
  // without waiting, so that Commit() has little left to wait for.
  void StartWriteback();
  // Flushes, closes and renames the file to its destination.
  bool Commit(std::string& err);
  // Removes the temporary file now.
  void Abort();
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath, mTarget, mTemp;  // as given, where it really lies, the temporary name
  int mFd = -1;
};

// True when both paths name the same existing file, through any links.
bool SameFile(const std::string& a, const std::string& b);

// The directory holding the running executable, or "" when it cannot be found.
std::string ExecutableDir();
