/* Audio components: descriptions, registration, lookup and instances.

   A component is registered with a factory function (AudioComponentRegister, or
   AudioComponentRegisterBundle from a bundle's Info.plist), or with a component-manager
   entry routine (RegisterComponent, RegisterComponentBundleEntry in <CoreServices/Components.h>).
   An instance made through a factory is called through its plug-in interface's Lookup
   function; one made through an entry routine is called through the entry with a
   ComponentParameters block. Both kinds answer every call of <AudioUnit/AUComponent.h>. */
#ifndef AUDIOCOMPONENT_H_
#define AUDIOCOMPONENT_H_
#pragma GCC system_header

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#ifdef __cplusplus
extern "C" {
#endif

#define AU_EXPORT extern __attribute__((visibility("default")))

typedef UInt32 AudioComponentFlags;
enum {
  kAudioComponentFlag_Unsearchable = 1,
  kAudioComponentFlag_SandboxSafe = 2,
  kAudioComponentFlag_IsV3AudioUnit = 4,
  kAudioComponentFlag_RequiresAsyncInstantiation = 8,
  kAudioComponentFlag_CanLoadInProcess = 0x10
};

typedef UInt32 AudioComponentInstantiationOptions;
enum { kAudioComponentInstantiation_LoadOutOfProcess = 1, kAudioComponentInstantiation_LoadInProcess = 2 };

/* 20 bytes; zero type, subtype or manufacturer in a search match anything. */
typedef struct AudioComponentDescription
{
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} AudioComponentDescription;

typedef struct OpaqueAudioComponent* AudioComponent;
/* One handle type for both kinds of instance, so a unit's handle is also its ComponentInstance. */
typedef ComponentInstance AudioComponentInstance;

typedef OSStatus (*AudioComponentMethod)(void* self, ...);

/* What a factory returns: the plug-in's own record, starting with these four slots. */
typedef struct AudioComponentPlugInInterface
{
  OSStatus (*Open)(void* self, AudioComponentInstance mInstance);
  OSStatus (*Close)(void* self);
  AudioComponentMethod (*Lookup)(SInt16 selector);
  void* reserved;
} AudioComponentPlugInInterface;

typedef AudioComponentPlugInInterface* (*AudioComponentFactoryFunction)(const AudioComponentDescription* inDesc);

enum {
  kAudioComponentErr_InstanceTimedOut = -66754,
  kAudioComponentErr_InstanceInvalidated = -66749,
  kAudioComponentErr_DuplicateDescription = -66752,
  kAudioComponentErr_UnsupportedType = -66751,
  kAudioComponentErr_TooManyInstances = -66750,
  kAudioComponentErr_NotPermitted = -66748,
  kAudioComponentErr_InitializationTimedOut = -66747,
  kAudioComponentErr_InvalidFormat = -66746
};

/* The next component after inComponent (NULL: the first) matching inDesc (NULL: any);
   unsearchable components are found only by an exact type, subtype and manufacturer. */
AU_EXPORT AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc);
AU_EXPORT UInt32 AudioComponentCount(const AudioComponentDescription* inDesc);
/* A new string of the component's name (the caller releases it). */
AU_EXPORT OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName);
AU_EXPORT OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc);
AU_EXPORT OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion);
/* A new, opened instance; on failure *outInstance is NULL and the status tells why. */
AU_EXPORT OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);
/* Closes and frees the instance; an unknown instance gives badComponentInstance. */
AU_EXPORT OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);
AU_EXPORT AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance);
/* Whether the instance handles the selector (its Lookup gives a function, or its entry's can-do says so). */
AU_EXPORT Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID);
/* Registers an in-process component; a second registration of the same type, subtype and
   manufacturer is refused (NULL). The name is retained. */
AU_EXPORT AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName,
                                                UInt32 inVersion, AudioComponentFactoryFunction inFactory);

/* Addition on this platform: registers every entry of the bundle's Contents/Info.plist
   "AudioComponents" array (type, subtype, manufacturer as four-character strings, name,
   version, factoryFunction), resolving each factory in Contents/MacOS/<CFBundleExecutable>,
   and makes the bundle known to CFBundleGetBundleWithIdentifier. Returns noErr, or
   fnfErr (missing directory, Info.plist or executable), kAudioComponentErr_InvalidFormat
   (unreadable Info.plist, missing or malformed entry), componentDllLoadErr (executable that
   cannot be loaded) or componentDllEntryNotFoundErr (missing factory symbol), with a message
   on stderr naming what is missing. Nothing is registered unless every entry resolves.
   Registering the same bundle again is noErr and adds nothing. */
AU_EXPORT OSStatus AudioComponentRegisterBundle(const char* bundlePath);

#ifdef __cplusplus
}
#endif

#endif
