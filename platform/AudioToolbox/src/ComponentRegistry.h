// The registry shared by the audio-component, component-manager and audio-unit sources:
// component records, instance records, and calls into an instance's entry or interface.
#pragma once

#include <AudioToolbox/AudioToolbox.h>

#include <cstring>
#include <string>

// One registered component. A component has a factory, an entry routine, or both.
struct ComponentRecord
{
  AudioComponentDescription desc{};
  CFStringRef name = nullptr;
  UInt32 version = 0;
  AudioComponentFactoryFunction factory = nullptr;
  ComponentRoutineUPP entry = nullptr;
  std::string bundlePath;  // empty for in-process registrations
};

struct OpaqueAudioComponent : ComponentRecord
{
};

// One open instance: reached through its plug-in interface, or through its entry routine.
struct ComponentInstanceRecord
{
  static const UInt32 kLive = 0x696E7374;  // marks a record between open and close
  UInt32 magic = kLive;
  OpaqueAudioComponent* component = nullptr;
  AudioComponentPlugInInterface* iface = nullptr;
  ComponentRoutineUPP entry = nullptr;
  Handle storage = nullptr;
};

namespace at {

inline bool usable(ComponentInstance ci) { return ci && ci->magic == ComponentInstanceRecord::kLive; }

// Whether ci is an instance that is open right now (takes the registry lock).
bool isOpen(ComponentInstance ci);

// Opens an instance of the component, through its factory when preferFactory (or when it
// has no entry), otherwise through its entry routine.
OSStatus openInstance(OpaqueAudioComponent* c, bool preferFactory, ComponentInstance* out);
// Closes and frees an open instance.
OSStatus closeInstance(ComponentInstance ci);

// Calls the entry routine of ci with a parameter block of argCount slots.
ComponentResult callEntry(ComponentInstance ci, SInt16 what, const long* args, UInt32 argCount);

// Packs one argument into a long-sized slot: the value at the slot's start, the rest zero.
template <class T>
long slot(T value)
{
  static_assert(sizeof(T) <= sizeof(long), "argument wider than a slot");
  long s = 0;
  memcpy(&s, &value, sizeof(T));
  return s;
}

// Calls selector sel on unit u with the arguments: through Lookup (as Fn) or through the entry.
template <class Fn, class... A>
OSStatus dispatch(ComponentInstance u, SInt16 sel, A... args)
{
  if (!usable(u)) return badComponentInstance;
  if (u->iface) {
    AudioComponentMethod m = u->iface->Lookup ? u->iface->Lookup(sel) : nullptr;
    if (!m) return badComponentSelector;
    return ((Fn)m)(u->iface, args...);
  }
  if (!u->entry) return badComponentSelector;
  const long slots[sizeof...(A) + 1] = {slot(args)..., 0};
  return callEntry(u, sel, slots, (UInt32)sizeof...(A));
}

// Loads the bundle's executable and finds symbol; NULL with a message on stderr (and the
// reason in *status) when the bundle, its Info.plist, its executable or the symbol is missing.
void* bundleSymbol(const std::string& bundlePath, const std::string& symbol, OSStatus* status);

}  // namespace at
