// Bundles: the main bundle of the process and every bundle created, remembered by path,
// each with its Info.plist read once.
#include "CFRuntime.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

struct __CFBundle : __CFObject
{
  ~__CFBundle() override
  {
    CFRelease(url);
    CFRelease(info);
    CFRelease(overrides);
  }
  CFTypeID typeID() const override { return cf::kBundle; }
  std::string describe() const override { return "CFBundle <" + path + ">"; }

  std::string path;
  CFURLRef url = nullptr;
  CFMutableDictionaryRef info = nullptr;       // Info.plist values merged with overrides
  CFMutableDictionaryRef overrides = nullptr;  // values set by the host (main bundle only)
  bool isMain = false;
};

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");
const CFStringRef kCFBundleDevelopmentRegionKey = CFSTR("CFBundleDevelopmentRegion");

namespace {

struct Registry
{
  std::recursive_mutex lock;
  std::vector<__CFBundle*> bundles;  // each holds one reference for the rest of the process
  __CFBundle* main = nullptr;
};

Registry& registry()
{
  static Registry* r = new Registry;  // never destroyed: bundles stay valid until exit
  return *r;
}

CFMutableDictionaryRef newDict()
{
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
}

bool isDirectory(const std::string& p)
{
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& p)
{
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The dictionary in path/Contents/Info.plist, or an empty one when it is missing or unreadable.
CFMutableDictionaryRef readInfo(const std::string& path)
{
  CFMutableDictionaryRef info = newDict();
  FILE* f = fopen((path + "/Contents/Info.plist").c_str(), "rb");
  if (!f) return info;
  CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
  UInt8 buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) CFDataAppendBytes(data, buf, (CFIndex)n);
  fclose(f);
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr);
  CFRelease(data);
  if (cf::is(plist, CFDictionaryGetTypeID()))
    CFDictionaryApplyFunction(
        (CFDictionaryRef)plist,
        [](const void* k, const void* v, void* d) { CFDictionarySetValue((CFMutableDictionaryRef)d, k, v); }, info);
  CFRelease(plist);
  return info;
}

std::string pathOf(CFURLRef url)
{
  char buf[PATH_MAX];
  return CFURLGetFileSystemRepresentation(url, true, (UInt8*)buf, sizeof buf) ? std::string(buf) : std::string();
}

std::string executablePath()
{
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, (size_t)n) : std::string();
}

CFURLRef urlFor(const std::string& p, bool dir)
{
  return CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)p.data(), (CFIndex)p.size(), dir);
}

// Points the main bundle at a directory: its URL, and Info values read there under the overrides.
void placeMain(__CFBundle* b, const std::string& dir)
{
  CFRelease(b->url);
  CFRelease(b->info);
  b->path = dir;
  b->url = urlFor(dir, true);
  b->info = readInfo(dir);
  CFDictionaryApplyFunction(
      b->overrides,
      [](const void* k, const void* v, void* d) { CFDictionarySetValue((CFMutableDictionaryRef)d, k, v); }, b->info);
}

__CFBundle* mainBundle()
{
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> hold(r.lock);
  if (!r.main) {
    __CFBundle* b = cf::create<__CFBundle>(nullptr);
    b->isMain = true;
    b->overrides = newDict();
    std::string exe = executablePath();
    size_t cut = exe.rfind('/');
    placeMain(b, cut == std::string::npos || cut == 0 ? std::string("/") : exe.substr(0, cut));
    r.main = b;
  }
  return r.main;
}

CFURLRef resourcesURL(CFBundleRef b) { return urlFor(b->path + "/Contents/Resources", true); }

}  // namespace

extern "C" {

CFTypeID CFBundleGetTypeID(void) { return cf::kBundle; }

CFBundleRef CFBundleGetMainBundle(void) { return mainBundle(); }

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
  if (!cf::is(bundleID, CFStringGetTypeID())) return nullptr;
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> hold(r.lock);
  __CFBundle* m = mainBundle();
  if (CFEqual(CFBundleGetIdentifier(m), bundleID)) return m;
  for (__CFBundle* b : r.bundles)
    if (CFEqual(CFBundleGetIdentifier(b), bundleID)) return b;
  return nullptr;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL)
{
  std::string path = pathOf(bundleURL);
  if (path.empty() || !isDirectory(path)) return nullptr;
  char real[PATH_MAX];
  if (realpath(path.c_str(), real)) path = real;
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> hold(r.lock);
  for (__CFBundle* b : r.bundles)
    if (b->path == path) return (CFBundleRef)CFRetain(b);
  __CFBundle* b = cf::create<__CFBundle>(nullptr);
  if (!b) return nullptr;
  b->path = path;
  b->url = urlFor(path, true);
  b->info = readInfo(path);
  r.bundles.push_back(b);
  return (CFBundleRef)CFRetain(b);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  if (!cf::is(bundle, cf::kBundle)) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  return (CFURLRef)CFRetain(bundle->url);
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  CFTypeRef id = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleIdentifierKey);
  return cf::is(id, CFStringGetTypeID()) ? (CFStringRef)id : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
  if (!cf::is(bundle, cf::kBundle) || !key) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  return CFDictionaryGetValue(bundle->info, key);
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle)
{
  return cf::is(bundle, cf::kBundle) ? bundle->info : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle)
{
  return cf::is(bundle, cf::kBundle) ? resourcesURL(bundle) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
  if (!cf::is(bundle, cf::kBundle) || !cf::is(resourceName, CFStringGetTypeID())) return nullptr;
  std::string name = cf::utf8(resourceName), type = cf::utf8(resourceType), sub = cf::utf8(subDirName);
  if (name.empty() || name.find("..") != std::string::npos || sub.find("..") != std::string::npos) return nullptr;
  std::string p = bundle->path + "/Contents/Resources/" + (sub.empty() ? "" : sub + "/") + name;
  if (!type.empty()) p += (type[0] == '.' ? "" : ".") + type;
  return isFile(p) ? urlFor(p, false) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle)
{
  if (!cf::is(bundle, cf::kBundle)) return nullptr;
  if (bundle->isMain) {
    std::string exe = executablePath();
    CFTypeRef name = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey);
    std::string inBundle = bundle->path + "/Contents/MacOS/" + cf::utf8((CFStringRef)name);
    if (cf::is(name, CFStringGetTypeID()) && isFile(inBundle)) return urlFor(inBundle, false);
    return exe.empty() ? nullptr : urlFor(exe, false);
  }
  CFTypeRef name = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleExecutableKey);
  if (!cf::is(name, CFStringGetTypeID()) || CFStringGetLength((CFStringRef)name) == 0) return nullptr;
  return urlFor(bundle->path + "/Contents/MacOS/" + cf::utf8((CFStringRef)name), false);
}

void CFBundleSetMainBundleURL(CFURLRef url)
{
  std::string path = pathOf(url);
  if (path.empty()) return;
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  placeMain(mainBundle(), path);
}

void CFBundleSetMainBundleInfoValue(CFStringRef key, CFTypeRef value)
{
  if (!cf::is(key, CFStringGetTypeID())) return;
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  __CFBundle* m = mainBundle();
  if (value) {
    CFDictionarySetValue(m->overrides, key, value);
    CFDictionarySetValue(m->info, key, value);
  } else {
    CFDictionaryRemoveValue(m->overrides, key);
    CFDictionaryRemoveValue(m->info, key);
  }
}

}  // extern "C"
