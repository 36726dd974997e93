#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside the target, which
// is renamed over the target only when everything was written. A failed or abandoned write
// leaves no partial file and never touches an existing target.

#include <cstdio>

class AtomicFile
{
public:
  // Opens "<target>.XXXXXX" for writing with the given permission bits; a negative mode gives the
  // bits a plain create would (0666 less the umask). File() is null when it could not be opened.
  explicit AtomicFile(const char* target, int mode = -1);
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The stream to write, or null.
  FILE* File() const { return mFile; }
  // Appends n bytes; false (the file then cannot be committed) when they were not all written.
  bool Write(const void* data, size_t n);
  // Closes the stream and renames the file over the target; false, with nothing left behind,
  // when it never opened, a write failed, or closing or renaming fails. Only the first call acts.
  bool Commit();

private:
  char* mTarget = nullptr;
  char* mTemp = nullptr;
  FILE* mFile = nullptr;
  bool mFailed = false;
};

// Writes n bytes to path through an AtomicFile with default permissions; false on any failure.
bool WriteFileAtomically(const char* path, const void* data, size_t n);
