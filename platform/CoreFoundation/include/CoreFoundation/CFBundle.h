/* Bundles: a directory with Contents/Info.plist, Contents/MacOS/<executable> and
   Contents/Resources/. Bundles become known to CFBundleGetBundleWithIdentifier when they
   are created (CFBundleCreate); the audio-component registry creates one per bundle it loads. */
#ifndef CFBUNDLE_H_
#define CFBUNDLE_H_
#pragma GCC system_header

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

CF_EXTERN_C_BEGIN

typedef struct __CFBundle* CFBundleRef;

CF_EXPORT const CFStringRef kCFBundleInfoDictionaryVersionKey;
CF_EXPORT const CFStringRef kCFBundleExecutableKey;
CF_EXPORT const CFStringRef kCFBundleIdentifierKey;
CF_EXPORT const CFStringRef kCFBundleVersionKey;
CF_EXPORT const CFStringRef kCFBundleNameKey;
CF_EXPORT const CFStringRef kCFBundleDevelopmentRegionKey;

CF_EXPORT CFTypeID CFBundleGetTypeID(void);
/* The process's own bundle: its URL is the directory of the running executable (or the one
   set with CFBundleSetMainBundleURL), its Info values those set with CFBundleSetMainBundleInfoValue
   or read from <url>/Contents/Info.plist. Never NULL; not to be released. */
CF_EXPORT CFBundleRef CFBundleGetMainBundle(void);
/* A known bundle (the main bundle or one created) whose identifier equals bundleID; not
   retained for the caller. NULL when none is known. */
CF_EXPORT CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
/* The bundle at bundleURL (retained for the caller): a known bundle at the same path is
   returned again; otherwise a new one reading <url>/Contents/Info.plist, remembered for the
   rest of the process. NULL when the directory does not exist. */
CF_EXPORT CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
/* A new URL of the bundle's directory. */
CF_EXPORT CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
/* The CFBundleIdentifier Info value, or NULL. */
CF_EXPORT CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
/* The Info value for key, or NULL; owned by the bundle. */
CF_EXPORT CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
/* The Info dictionary (empty when the bundle has no readable Info.plist); owned by the bundle. */
CF_EXPORT CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
/* A new URL of Contents/Resources/. */
CF_EXPORT CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
/* A new URL of Contents/Resources/[subDirName/]resourceName[.resourceType] when that file exists, else NULL. */
CF_EXPORT CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                           CFStringRef subDirName);
/* A new URL of Contents/MacOS/<CFBundleExecutable> (for the main bundle: the running
   executable), or NULL when the bundle names no executable. */
CF_EXPORT CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);

/* Additions for hosts on this platform: set the main bundle's directory, and one of its
   Info values (e.g. kCFBundleIdentifierKey, so a plug-in can tell which host loaded it).
   A NULL value removes the key. */
CF_EXPORT void CFBundleSetMainBundleURL(CFURLRef url);
CF_EXPORT void CFBundleSetMainBundleInfoValue(CFStringRef key, CFTypeRef value);

CF_EXTERN_C_END

#endif
