#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSBundle.h>

#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {
std::string ToUtf8(CFStringRef s)
{
  if (!s) return std::string();
  char buf[4096];
  if (!CFStringGetCString(s, buf, sizeof(buf), kCFStringEncodingUTF8)) return std::string();
  return buf;
}

bool IsFile(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

NSBundle* Wrap(CFBundleRef cf, NSBundle* (*make)(const void*))
{
  static std::mutex lock;
  // Never destroyed, so the wrappers stay reachable for the whole process.
  static std::map<const void*, NSBundle*>& bundles = *new std::map<const void*, NSBundle*>();
  if (!cf) return nullptr;
  std::lock_guard<std::mutex> hold(lock);
  NSBundle*& b = bundles[cf];
  if (!b) b = make(cf);
  return b;
}
}  // namespace

NSBundle* NSBundle::bundleWithIdentifier(NSString* identifier)
{
  if (!identifier) return nullptr;
  CFStringRef cfid = CFStringCreateWithCString(kCFAllocatorDefault, identifier->UTF8String(), kCFStringEncodingUTF8);
  CFBundleRef cf = cfid ? CFBundleGetBundleWithIdentifier(cfid) : nullptr;
  if (cfid) CFRelease(cfid);
  return Wrap(cf, [](const void* p) { return new NSBundle(p); });
}

NSBundle* NSBundle::mainBundle()
{
  return Wrap(CFBundleGetMainBundle(), [](const void* p) { return new NSBundle(p); });
}

NSString* NSBundle::bundleIdentifier() const
{
  CFStringRef s = CFBundleGetIdentifier((CFBundleRef)m_cf);
  return s ? NSStr(ToUtf8(s).c_str()) : nullptr;
}

NSString* NSBundle::bundlePath() const
{
  CFURLRef url = CFBundleCopyBundleURL((CFBundleRef)m_cf);
  if (!url) return nullptr;
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  CFRelease(url);
  if (!path) return nullptr;
  std::string p = ToUtf8(path);
  CFRelease(path);
  return NSStr(p.c_str());
}

NSString* NSBundle::resourcePath() const
{
  NSString* root = bundlePath();
  return root ? NSStr((root->str() + "/Contents/Resources").c_str()) : nullptr;
}

NSString* NSBundle::executablePath() const
{
  NSString* root = bundlePath();
  CFTypeRef exe = CFBundleGetValueForInfoDictionaryKey((CFBundleRef)m_cf, CFSTR("CFBundleExecutable"));
  if (!root || !exe || CFGetTypeID(exe) != CFStringGetTypeID()) return nullptr;
  return NSStr((root->str() + "/Contents/MacOS/" + ToUtf8((CFStringRef)exe)).c_str());
}

NSString* NSBundle::pathForResource(NSString* name, NSString* type) const
{
  NSString* dir = resourcePath();
  if (!dir || !name || name->length() == 0) return nullptr;
  std::string path = dir->str() + "/" + name->str();
  if (type && type->length()) path += "." + type->str();
  return IsFile(path) ? NSStr(path.c_str()) : nullptr;
}

NSURL::~NSURL()
{
  if (m_text) m_text->release();
  if (m_path) m_path->release();
}

NSURL* NSURL::URLWithString(NSString* s)
{
  if (!s) return nullptr;
  const std::string& t = s->str();
  // scheme ":" rest, with no characters that must be escaped.
  size_t colon = t.find(':');
  if (colon == std::string::npos || colon == 0) return nullptr;
  for (size_t i = 0; i < colon; ++i) {
    char c = t[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return nullptr;
  }
  for (unsigned char c : t)
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' || c == '{' ||
        c == '|' || c == '}')
      return nullptr;
  NSURL* u = new NSURL();
  u->m_text = ns_retain(NSStr(t.c_str()));
  if (t.compare(0, 7, "file://") == 0) {
    u->m_file = true;
    u->m_path = ns_retain(NSStr(t.c_str() + 7));
  }
  return ns_autorelease(u);
}

NSURL* NSURL::fileURLWithPath(NSString* path)
{
  if (!path || path->length() == 0) return nullptr;
  NSURL* u = new NSURL();
  u->m_file = true;
  u->m_path = ns_retain(NSStr(path->UTF8String()));
  u->m_text = ns_retain(NSStr(("file://" + path->str()).c_str()));
  return ns_autorelease(u);
}

NSString* NSHomeDirectory()
{
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    struct passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : "/";
  }
  return NSStr(home);
}

NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory dir, NSSearchPathDomainMask domains,
                                             BOOL expandTilde)
{
  const char* sub = nullptr;
  switch (dir) {
    case NSApplicationDirectory:
      sub = "Applications";
      break;
    case NSLibraryDirectory:
      sub = "Library";
      break;
    case NSDocumentDirectory:
      sub = "Documents";
      break;
    case NSDesktopDirectory:
      sub = "Desktop";
      break;
    case NSCachesDirectory:
      sub = "Library/Caches";
      break;
    case NSApplicationSupportDirectory:
      sub = "Library/Application Support";
      break;
    case NSMusicDirectory:
      sub = "Music";
      break;
    default:
      break;
  }
  NSMutableArray* out = NSMutableArray::array();
  if (!sub) return out;
  const bool userOnly = dir == NSDesktopDirectory || dir == NSDocumentDirectory || dir == NSMusicDirectory;
  if (domains & NSUserDomainMask)
    out->addObject(NSStr(((expandTilde ? NSHomeDirectory()->str() : std::string("~")) + "/" + sub).c_str()));
  if (!userOnly && (domains & NSLocalDomainMask)) out->addObject(NSStr((std::string("/") + sub).c_str()));
  if (!userOnly && (domains & NSSystemDomainMask)) out->addObject(NSStr((std::string("/System/") + sub).c_str()));
  return out;
}
