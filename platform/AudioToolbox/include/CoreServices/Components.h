/* The component manager: components registered with an entry routine, instances opened
   through it, and calls passed to it as a selector plus a ComponentParameters block.

   Block layout (64-bit): params[0] holds the instance; the call's arguments follow in
   their declared order, one long-sized slot each (params[1] is the first argument). A value
   narrower than a slot sits at the slot's start, the rest of the slot is zero; read argument
   i as *(T*)&params->params[i + 1]. paramSize is the byte size of the argument slots.
   For kComponentOpenSelect the one argument is the new instance itself; the entry is then
   called with NULL storage and normally stores its object with SetComponentInstanceStorage.
   Every later call gets that storage as its second argument. */
#ifndef COMPONENTS_H_
#define COMPONENTS_H_
#pragma GCC system_header

#include <MacTypes.h>
#include <CoreServices/MacErrors.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CS_EXPORT extern __attribute__((visibility("default")))

typedef SInt32 ComponentResult;

typedef struct ComponentDescription
{
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

typedef struct ComponentParameters
{
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[1];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;
typedef ComponentRoutineProcPtr ComponentFunctionUPP;

enum {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kComponentRegisterSelect = -5,
  kComponentTargetSelect = -6,
  kComponentUnregisterSelect = -7,
  kComponentGetMPWorkFunctionSelect = -8,
  kComponentExecuteWiredActionSelect = -9,
  kComponentGetPublicResourceSelect = -10
};

enum { kAnyComponentType = 0, kAnyComponentSubType = 0, kAnyComponentManufacturer = 0, kAnyComponentFlagsMask = 0 };

/* Registers an entry routine under the description; name, info and icon are not kept.
   Returns the component, or NULL for a NULL description or routine. */
CS_EXPORT Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16 global,
                                      Handle componentName, Handle componentInfo, Handle componentIcon);
/* Addition on this platform: registers the entry routine named entryName in the executable of
   the bundle at bundlePath (Contents/MacOS/<CFBundleExecutable>). NULL, with a message on
   stderr naming what is missing, when the bundle, its Info.plist, the executable or the symbol
   cannot be found. A component of the same description already registered from the same
   bundle (AudioComponentRegisterBundle) gains the entry and is returned; its name and version
   otherwise come from the bundle's matching AudioComponents entry, when there is one. */
CS_EXPORT Component RegisterComponentBundleEntry(const ComponentDescription* cd, const char* bundlePath,
                                                 const char* entryName);
/* The next registered component after aComponent (NULL: the first) matching the description:
   zero type, subtype or manufacturer match anything, flags are compared under the mask. */
CS_EXPORT Component FindNextComponent(Component aComponent, ComponentDescription* looking);
CS_EXPORT long CountComponents(ComponentDescription* looking);
/* Writes the component's description; name, info and icon handles are left alone. */
CS_EXPORT OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                                 Handle componentInfo, Handle componentIcon);
/* Opens an instance through the component (its entry's open selector, or its factory);
   a refused open gives its status and *ci = NULL. */
CS_EXPORT OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
CS_EXPORT ComponentInstance OpenComponent(Component aComponent);
/* Closes the instance (its entry's close selector, or the factory's Close) and frees it. */
CS_EXPORT OSErr CloseComponent(ComponentInstance aComponentInstance);
/* The object stored for the instance; for an instance made through a factory that stored
   nothing, its plug-in interface record. */
CS_EXPORT Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);
CS_EXPORT void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
/* Calls the entry of the instance in params->params[0] with the block; badComponentInstance
   for an unknown instance, badComponentSelector for an instance without an entry routine. */
CS_EXPORT ComponentResult CallComponentDispatch(ComponentParameters* params);
/* Builds a block for what with argCount long-sized argument slots (at most 16) and calls the
   instance's entry; the helper behind every selector call. */
CS_EXPORT ComponentResult CallComponentWithArguments(ComponentInstance ci, SInt16 what, const long* args,
                                                     UInt32 argCount);
/* The entry's version selector; badComponentSelector when the entry has none. */
CS_EXPORT ComponentResult GetComponentVersion(ComponentInstance ci);
/* The entry's can-do answer for a selector (0 or 1). */
CS_EXPORT ComponentResult ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber);

#ifdef __cplusplus
}
#endif

#endif
