#pragma once
// Bundles, URLs and standard paths.

#include "NSString.h"

class NSBundle : public NSObject
{
public:
  // The registered bundle with this identifier, or nil (the object lives for the process).
  static NSBundle* bundleWithIdentifier(NSString* identifier);
  // The host process's own bundle.
  static NSBundle* mainBundle();

  NSString* bundleIdentifier() const;
  // The bundle directory.
  NSString* bundlePath() const;
  // Contents/MacOS/<CFBundleExecutable>, or nil when the bundle names no executable.
  NSString* executablePath() const;
  // Contents/Resources/name.type when that file exists, else nil.
  NSString* pathForResource(NSString* name, NSString* type) const;
  NSString* resourcePath() const;
  const char* className() const override { return "NSBundle"; }

private:
  explicit NSBundle(const void* cfBundle) : m_cf(cfBundle) {}
  const void* m_cf;
};

class NSURL : public NSObject
{
public:
  // An autoreleased URL, or nil when the text is not a well-formed absolute URL.
  static NSURL* URLWithString(NSString* s);
  static NSURL* fileURLWithPath(NSString* path);
  NSString* absoluteString() const { return m_text; }
  // The file-system path of a file URL, else nil.
  NSString* path() const { return m_file ? m_path : nullptr; }
  BOOL isFileURL() const { return m_file; }
  const char* className() const override { return "NSURL"; }

protected:
  ~NSURL() override;

private:
  NSString* m_text = nullptr;
  NSString* m_path = nullptr;
  bool m_file = false;
};

typedef NSUInteger NSSearchPathDirectory;
enum : NSSearchPathDirectory {
  NSApplicationDirectory = 1,
  NSLibraryDirectory = 5,
  NSDocumentDirectory = 9,
  NSDesktopDirectory = 12,
  NSCachesDirectory = 13,
  NSApplicationSupportDirectory = 14,
  NSMusicDirectory = 18,
};
typedef NSUInteger NSSearchPathDomainMask;
enum : NSSearchPathDomainMask {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
};

// The standard directories for `dir` in the given domains, as an autoreleased array of paths.
NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory dir, NSSearchPathDomainMask domains,
                                             BOOL expandTilde);
// The user's home directory.
NSString* NSHomeDirectory();
