// File URLs: an absolute path plus a directory mark, with the "file://" text kept beside them.
#include "CFRuntime.h"

#include <cstring>
#include <unistd.h>

struct __CFURL : __CFObject
{
  __CFURL(std::string p, bool dir) : path(std::move(p)), isDir(dir) {}
  ~__CFURL() override { CFRelease(text); }
  CFTypeID typeID() const override { return cf::kURL; }
  bool equals(const __CFObject* other) const override
  {
    const __CFURL* o = (const __CFURL*)other;
    return path == o->path && isDir == o->isDir;
  }
  CFHashCode hash() const override { return std::hash<std::string>()(path); }
  std::string describe() const override { return cf::utf8(text); }

  std::string path;  // absolute, without a trailing '/' except for the root
  bool isDir;
  CFStringRef text = nullptr;
};

namespace {

bool isURL(CFURLRef u) { return cf::is(u, cf::kURL); }

// Makes a path absolute and drops empty and "." components and trailing slashes.
std::string normalize(const std::string& in)
{
  std::string p = in;
  if (p.empty() || p[0] != '/') {
    char cwd[4096];
    p = std::string(getcwd(cwd, sizeof cwd) ? cwd : "") + "/" + p;
  }
  std::string out;
  size_t i = 0;
  while (i < p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (part == "..") {
      size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
    } else if (!part.empty() && part != ".") {
      out += "/" + part;
    }
    i = j + 1;
  }
  return out.empty() ? "/" : out;
}

std::string escape(const std::string& path)
{
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (isalnum(c) || strchr("/-._~!$&'()*+,;=:@", c)) {
      out += (char)c;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool unescape(const std::string& in, std::string& out)
{
  out.clear();
  for (size_t i = 0; i < in.size(); i++) {
    if (in[i] != '%') {
      out += in[i];
      continue;
    }
    if (i + 2 >= in.size() || !isxdigit((unsigned char)in[i + 1]) || !isxdigit((unsigned char)in[i + 2])) return false;
    out += (char)strtol(in.substr(i + 1, 2).c_str(), nullptr, 16);
    i += 2;
  }
  return true;
}

CFURLRef make(CFAllocatorRef a, const std::string& rawPath, bool isDir)
{
  if (rawPath.empty() || memchr(rawPath.data(), 0, rawPath.size())) return nullptr;
  std::string p = normalize(rawPath);
  if (p == "/") isDir = true;
  __CFURL* u = cf::create<__CFURL>(a, p, isDir);
  if (!u) return nullptr;
  u->text = cf::makeString(a, "file://" + escape(p) + (isDir && p != "/" ? "/" : ""));
  if (!u->text) {
    CFRelease(u);
    return nullptr;
  }
  return u;
}

std::string lastComponent(const std::string& p) { return p == "/" ? "/" : p.substr(p.rfind('/') + 1); }

}  // namespace

extern "C" {

CFTypeID CFURLGetTypeID(void) { return cf::kURL; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory)
{
  if (pathStyle != kCFURLPOSIXPathStyle || !cf::is(filePath, CFStringGetTypeID())) return nullptr;
  return make(allocator, cf::utf8(filePath), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory)
{
  if (!buffer || bufLen <= 0) return nullptr;
  return make(allocator, std::string((const char*)buffer, (size_t)bufLen), isDirectory);
}

CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef)
{
  std::string s = cf::utf8(URLString), path;
  const std::string scheme = "file://";
  if (s.compare(0, scheme.size(), scheme) != 0) return nullptr;
  s = s.substr(scheme.size());
  if (s.compare(0, 9, "localhost") == 0) s = s.substr(9);
  if (s.empty() || s[0] != '/' || !unescape(s, path)) return nullptr;
  return make(allocator, path, path.size() > 1 && path.back() == '/');
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
  if (!isURL(url) || !buffer || maxBufLen <= 0 || (CFIndex)url->path.size() + 1 > maxBufLen) return false;
  memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle)
{
  if (!isURL(anURL) || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
  return cf::makeString(nullptr, anURL->path);
}

CFStringRef CFURLGetString(CFURLRef anURL) { return isURL(anURL) ? anURL->text : nullptr; }

CFURLRef CFURLGetBaseURL(CFURLRef) { return nullptr; }

Boolean CFURLHasDirectoryPath(CFURLRef anURL) { return isURL(anURL) && anURL->isDir; }

CFStringRef CFURLCopyLastPathComponent(CFURLRef url)
{
  return isURL(url) ? cf::makeString(nullptr, lastComponent(url->path)) : nullptr;
}

CFStringRef CFURLCopyPathExtension(CFURLRef url)
{
  if (!isURL(url)) return nullptr;
  std::string last = lastComponent(url->path);
  size_t dot = last.rfind('.');
  return dot == std::string::npos || dot == 0 ? nullptr : cf::makeString(nullptr, last.substr(dot + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url, CFStringRef pathComponent,
                                               Boolean isDirectory)
{
  if (!isURL(url) || !cf::is(pathComponent, CFStringGetTypeID())) return nullptr;
  return make(allocator, url->path + "/" + cf::utf8(pathComponent), isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url)
{
  if (!isURL(url)) return nullptr;
  size_t cut = url->path.rfind('/');
  return make(allocator, cut == 0 ? std::string("/") : url->path.substr(0, cut), true);
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef allocator, CFURLRef url, CFStringRef extension)
{
  if (!isURL(url) || !cf::is(extension, CFStringGetTypeID()) || url->path == "/") return nullptr;
  return make(allocator, url->path + "." + cf::utf8(extension), url->isDir);
}

}  // extern "C"
