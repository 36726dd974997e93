// Bundles: created from a directory, found by identifier, Info values and resources; the main bundle.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const std::string& path, const std::string& bytes)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// A scratch bundle directory with an Info.plist written through our own property-list writer.
std::string makeBundle(const std::string& identifier)
{
  char tmpl[] = "/tmp/cfbundle-XXXXXX";
  std::string root = mkdtemp(tmpl);
  std::string b = root + "/Test.component";
  for (const std::string& d : {b, b + "/Contents", b + "/Contents/Resources", b + "/Contents/MacOS"})
    mkdir(d.c_str(), 0755);
  CFStringRef id = CFStringCreateWithCString(nullptr, identifier.c_str(), kCFStringEncodingUTF8);
  const void* keys[] = {kCFBundleIdentifierKey, kCFBundleExecutableKey, CFSTR("Custom")};
  const void* values[] = {id, CFSTR("Test"), CFSTR("value")};
  CFDictionaryRef info =
      CFDictionaryCreate(nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDataRef xml = CFPropertyListCreateData(nullptr, info, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  writeFile(b + "/Contents/Info.plist", std::string((const char*)CFDataGetBytePtr(xml), (size_t)CFDataGetLength(xml)));
  writeFile(b + "/Contents/Resources/knob.png", "png");
  CFRelease(xml);
  CFRelease(info);
  CFRelease(id);
  return b;
}

std::string pathOf(CFURLRef url)
{
  char buf[1024];
  return url && CFURLGetFileSystemRepresentation(url, true, (UInt8*)buf, sizeof buf) ? buf : "";
}

CFURLRef dirURL(const std::string& p)
{
  return CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)p.data(), (CFIndex)p.size(), true);
}

TEST(CFBundle, CreatedBundlesAreFoundByIdentifier)
{
  std::string path = makeBundle("com.example.test.bundle");
  CFStringRef id = CFSTR("com.example.test.bundle");
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), nullptr);
  CFURLRef url = dirURL(path);
  CFBundleRef b = CFBundleCreate(nullptr, url);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), b);
  CFBundleRef again = CFBundleCreate(nullptr, url);  // the same path gives the same bundle
  EXPECT_EQ(again, b);
  CFRelease(again);
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(b), id));
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(b, CFSTR("Custom")), CFSTR("value")));
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(b, CFSTR("Missing")), nullptr);

  CFURLRef bundleURL = CFBundleCopyBundleURL(b);
  EXPECT_EQ(pathOf(bundleURL), path);
  CFRelease(bundleURL);
  CFURLRef exe = CFBundleCopyExecutableURL(b);
  EXPECT_EQ(pathOf(exe), path + "/Contents/MacOS/Test");
  CFRelease(exe);
  CFURLRef knob = CFBundleCopyResourceURL(b, CFSTR("knob"), CFSTR("png"), nullptr);
  EXPECT_EQ(pathOf(knob), path + "/Contents/Resources/knob.png");
  CFRelease(knob);
  EXPECT_EQ(CFBundleCopyResourceURL(b, CFSTR("absent"), CFSTR("png"), nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(b, CFSTR("../Info"), CFSTR("plist"), nullptr), nullptr);
  CFRelease(b);  // the registry keeps its own reference
  EXPECT_NE(CFBundleGetBundleWithIdentifier(id), nullptr);
  CFRelease(url);

  CFURLRef missing = dirURL(path + "-missing");
  EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
  CFRelease(missing);
}

TEST(CFBundle, DirectoryWithoutInfoHasNoIdentifier)
{
  char tmpl[] = "/tmp/cfbundle-XXXXXX";
  std::string root = mkdtemp(tmpl);
  mkdir((root + "/Contents").c_str(), 0755);
  writeFile(root + "/Contents/Info.plist", "<plist><dict><key>broken");
  CFURLRef url = dirURL(root);
  CFBundleRef b = CFBundleCreate(nullptr, url);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(b), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(CFBundleGetInfoDictionary(b)), 0);
  EXPECT_EQ(CFBundleCopyExecutableURL(b), nullptr);
  CFRelease(b);
  CFRelease(url);
}

TEST(CFBundle, MainBundleInfoIsSetByTheHost)
{
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  CFURLRef url = CFBundleCopyBundleURL(main);
  char cwdExe[1024];
  ssize_t n = readlink("/proc/self/exe", cwdExe, sizeof cwdExe - 1);
  ASSERT_GT(n, 0);
  std::string exe(cwdExe, (size_t)n);
  EXPECT_EQ(pathOf(url), exe.substr(0, exe.rfind('/')));
  CFRelease(url);

  CFBundleSetMainBundleInfoValue(kCFBundleIdentifierKey, CFSTR("com.example.host"));
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(main), CFSTR("com.example.host")));
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.host")), main);

  std::string other = makeBundle("com.example.hostbundle");
  CFURLRef otherURL = dirURL(other);
  CFBundleSetMainBundleURL(otherURL);  // Info values read there; the host's own value stays
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(main, CFSTR("Custom")), CFSTR("value")));
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(main), CFSTR("com.example.host")));
  CFURLRef mainURL = CFBundleCopyBundleURL(main);
  EXPECT_EQ(pathOf(mainURL), other);
  CFRelease(mainURL);
  CFRelease(otherURL);
  CFBundleSetMainBundleInfoValue(kCFBundleIdentifierKey, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);
}

}  // namespace
