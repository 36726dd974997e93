// The recording unit: every method writes its name and arguments to gLastCall.
#include "recording_unit.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace rec {

std::string gLastCall;

namespace {

struct Unit
{
  AudioComponentPlugInInterface iface;  // first: the factory's record is the object
  AudioUnit instance = nullptr;
  struct Listener
  {
    AudioUnitPropertyID id;
    AudioUnitPropertyListenerProc proc;
    void* user;
  };
  std::vector<Listener> listeners;
};

Unit* self(void* p) { return (Unit*)p; }

void record(const char* fmt, ...)
{
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  gLastCall = buf;
}

OSStatus Initialize(void*) { return record("Initialize"), noErr; }
OSStatus Uninitialize(void*) { return record("Uninitialize"), noErr; }
OSStatus GetPropertyInfo(void*, AudioUnitPropertyID id, AudioUnitScope s, AudioUnitElement e, UInt32* size, Boolean* w)
{
  record("GetPropertyInfo %u %u %u %p %p", id, s, e, (void*)size, (void*)w);
  return noErr;
}
OSStatus GetProperty(void*, AudioUnitPropertyID id, AudioUnitScope s, AudioUnitElement e, void* data, UInt32* size)
{
  record("GetProperty %u %u %u %p %p", id, s, e, data, (void*)size);
  return noErr;
}
OSStatus SetProperty(void* p, AudioUnitPropertyID id, AudioUnitScope s, AudioUnitElement e, const void* data,
                     UInt32 size)
{
  record("SetProperty %u %u %u %p %u", id, s, e, data, size);
  std::vector<Unit::Listener> ls = self(p)->listeners;
  for (const auto& l : ls)
    if (l.id == id) l.proc(l.user, self(p)->instance, id, s, e);
  return noErr;
}
OSStatus GetParameter(void*, AudioUnitParameterID id, AudioUnitScope s, AudioUnitElement e, AudioUnitParameterValue* v)
{
  record("GetParameter %u %u %u %p", id, s, e, (void*)v);
  if (id == 99) return kAudioUnitErr_InvalidParameter;
  *v = 0.75f;
  return noErr;
}
OSStatus SetParameter(void*, AudioUnitParameterID id, AudioUnitScope s, AudioUnitElement e, AudioUnitParameterValue v,
                      UInt32 o)
{
  record("SetParameter %u %u %u %g %u", id, s, e, v, o);
  return noErr;
}
OSStatus Reset(void*, AudioUnitScope s, AudioUnitElement e) { return record("Reset %u %u", s, e), noErr; }
OSStatus AddPropertyListener(void* p, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* user)
{
  record("AddPropertyListener %u %p %p", id, (void*)proc, user);
  self(p)->listeners.push_back({id, proc, user});
  return noErr;
}
OSStatus RemovePropertyListener(void* p, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  record("RemovePropertyListener %u %p", id, (void*)proc);
  auto& ls = self(p)->listeners;
  for (auto it = ls.begin(); it != ls.end(); ++it)
    if (it->id == id && it->proc == proc) {
      ls.erase(it);
      break;
    }
  return noErr;
}
OSStatus RemovePropertyListenerWithUserData(void* p, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                            void* user)
{
  record("RemovePropertyListenerWithUserData %u %p %p", id, (void*)proc, user);
  auto& ls = self(p)->listeners;
  for (auto it = ls.begin(); it != ls.end(); ++it)
    if (it->id == id && it->proc == proc && it->user == user) {
      ls.erase(it);
      break;
    }
  return noErr;
}
OSStatus AddRenderNotify(void*, AURenderCallback proc, void* user)
{
  return record("AddRenderNotify %p %p", (void*)proc, user), noErr;
}
OSStatus RemoveRenderNotify(void*, AURenderCallback proc, void* user)
{
  return record("RemoveRenderNotify %p %p", (void*)proc, user), noErr;
}
OSStatus ScheduleParameters(void*, const AudioUnitParameterEvent* events, UInt32 n)
{
  return record("ScheduleParameters %p %u", (const void*)events, n), noErr;
}
OSStatus Render(void*, AudioUnitRenderActionFlags* f, const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                AudioBufferList* io)
{
  return record("Render %p %p %u %u %p", (void*)f, (const void*)ts, bus, frames, (void*)io), noErr;
}
OSStatus MIDIEvent(void*, UInt32 status, UInt32 d1, UInt32 d2, UInt32 offset)
{
  return record("MIDIEvent %u %u %u %u", status, d1, d2, offset), noErr;
}
OSStatus SysEx(void*, const UInt8* data, UInt32 length)
{
  return record("SysEx %p %u", (const void*)data, length), noErr;
}
OSStatus StartNote(void*, MusicDeviceInstrumentID inst, MusicDeviceGroupID group, NoteInstanceID* out, UInt32 offset,
                   const MusicDeviceNoteParams* params)
{
  record("StartNote %u %u %p %u %p", inst, group, (void*)out, offset, (const void*)params);
  return noErr;
}
OSStatus StopNote(void*, MusicDeviceGroupID group, NoteInstanceID note, UInt32 offset)
{
  return record("StopNote %u %u %u", group, note, offset), noErr;
}

AudioComponentMethod Lookup(SInt16 selector)
{
  switch (selector) {
    case kAudioUnitInitializeSelect:
      return (AudioComponentMethod)Initialize;
    case kAudioUnitUninitializeSelect:
      return (AudioComponentMethod)Uninitialize;
    case kAudioUnitGetPropertyInfoSelect:
      return (AudioComponentMethod)GetPropertyInfo;
    case kAudioUnitGetPropertySelect:
      return (AudioComponentMethod)GetProperty;
    case kAudioUnitSetPropertySelect:
      return (AudioComponentMethod)SetProperty;
    case kAudioUnitGetParameterSelect:
      return (AudioComponentMethod)GetParameter;
    case kAudioUnitSetParameterSelect:
      return (AudioComponentMethod)SetParameter;
    case kAudioUnitResetSelect:
      return (AudioComponentMethod)Reset;
    case kAudioUnitAddPropertyListenerSelect:
      return (AudioComponentMethod)AddPropertyListener;
    case kAudioUnitRemovePropertyListenerSelect:
      return (AudioComponentMethod)RemovePropertyListener;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return (AudioComponentMethod)RemovePropertyListenerWithUserData;
    case kAudioUnitAddRenderNotifySelect:
      return (AudioComponentMethod)AddRenderNotify;
    case kAudioUnitRemoveRenderNotifySelect:
      return (AudioComponentMethod)RemoveRenderNotify;
    case kAudioUnitScheduleParametersSelect:
      return (AudioComponentMethod)ScheduleParameters;
    case kAudioUnitRenderSelect:
      return (AudioComponentMethod)Render;
    case kMusicDeviceMIDIEventSelect:
      return (AudioComponentMethod)MIDIEvent;
    case kMusicDeviceSysExSelect:
      return (AudioComponentMethod)SysEx;
    case kMusicDeviceStartNoteSelect:
      return (AudioComponentMethod)StartNote;
    case kMusicDeviceStopNoteSelect:
      return (AudioComponentMethod)StopNote;
    default:
      return nullptr;
  }
}

OSStatus Open(void* p, AudioComponentInstance instance)
{
  self(p)->instance = instance;
  return noErr;
}
OSStatus Close(void* p)
{
  self(p)->~Unit();
  free(p);
  return noErr;
}

Unit* make()
{
  Unit* u = new (malloc(sizeof(Unit))) Unit;
  u->iface = {Open, Close, Lookup, nullptr};
  return u;
}

AudioComponentPlugInInterface* Factory(const AudioComponentDescription*) { return &make()->iface; }

template <class T>
T arg(ComponentParameters* p, int i)
{
  T v;
  memcpy(&v, &p->params[i + 1], sizeof v);
  return v;
}

ComponentResult Entry(ComponentParameters* p, Handle storage)
{
  void* u = storage;
  switch (p->what) {
    case kComponentOpenSelect: {
      Unit* n = make();
      n->instance = arg<ComponentInstance>(p, 0);
      SetComponentInstanceStorage(n->instance, (Handle)n);
      return noErr;
    }
    case kComponentCloseSelect:
      return Close(u);
    case kComponentVersionSelect:
      return 0x00020000;
    case kComponentCanDoSelect:
      return Lookup(arg<SInt16>(p, 0)) != nullptr;
    case kAudioUnitInitializeSelect:
      return Initialize(u);
    case kAudioUnitUninitializeSelect:
      return Uninitialize(u);
    case kAudioUnitGetPropertyInfoSelect:
      return GetPropertyInfo(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2), arg<UInt32*>(p, 3),
                             arg<Boolean*>(p, 4));
    case kAudioUnitGetPropertySelect:
      return GetProperty(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2), arg<void*>(p, 3),
                         arg<UInt32*>(p, 4));
    case kAudioUnitSetPropertySelect:
      return SetProperty(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2), arg<const void*>(p, 3),
                         arg<UInt32>(p, 4));
    case kAudioUnitGetParameterSelect:
      return GetParameter(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2),
                          arg<AudioUnitParameterValue*>(p, 3));
    case kAudioUnitSetParameterSelect:
      return SetParameter(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2), arg<Float32>(p, 3),
                          arg<UInt32>(p, 4));
    case kAudioUnitResetSelect:
      return Reset(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1));
    case kAudioUnitAddPropertyListenerSelect:
      return AddPropertyListener(u, arg<UInt32>(p, 0), arg<AudioUnitPropertyListenerProc>(p, 1), arg<void*>(p, 2));
    case kAudioUnitRemovePropertyListenerSelect:
      return RemovePropertyListener(u, arg<UInt32>(p, 0), arg<AudioUnitPropertyListenerProc>(p, 1));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return RemovePropertyListenerWithUserData(u, arg<UInt32>(p, 0), arg<AudioUnitPropertyListenerProc>(p, 1),
                                                arg<void*>(p, 2));
    case kAudioUnitAddRenderNotifySelect:
      return AddRenderNotify(u, arg<AURenderCallback>(p, 0), arg<void*>(p, 1));
    case kAudioUnitRemoveRenderNotifySelect:
      return RemoveRenderNotify(u, arg<AURenderCallback>(p, 0), arg<void*>(p, 1));
    case kAudioUnitScheduleParametersSelect:
      return ScheduleParameters(u, arg<const AudioUnitParameterEvent*>(p, 0), arg<UInt32>(p, 1));
    case kAudioUnitRenderSelect:
      return Render(u, arg<AudioUnitRenderActionFlags*>(p, 0), arg<const AudioTimeStamp*>(p, 1), arg<UInt32>(p, 2),
                    arg<UInt32>(p, 3), arg<AudioBufferList*>(p, 4));
    case kMusicDeviceMIDIEventSelect:
      return MIDIEvent(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2), arg<UInt32>(p, 3));
    case kMusicDeviceSysExSelect:
      return SysEx(u, arg<const UInt8*>(p, 0), arg<UInt32>(p, 1));
    case kMusicDeviceStartNoteSelect:
      return StartNote(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<NoteInstanceID*>(p, 2), arg<UInt32>(p, 3),
                       arg<const MusicDeviceNoteParams*>(p, 4));
    case kMusicDeviceStopNoteSelect:
      return StopNote(u, arg<UInt32>(p, 0), arg<UInt32>(p, 1), arg<UInt32>(p, 2));
    case kAudioUnitCarbonViewCreateSelect:
      record("CarbonViewCreate %p %p %p %p %p %p", arg<void*>(p, 0), arg<void*>(p, 1), arg<void*>(p, 2),
             arg<void*>(p, 3), arg<void*>(p, 4), arg<void*>(p, 5));
      return noErr;
    default:
      return badComponentSelector;
  }
}

}  // namespace

AudioComponent factoryComponent()
{
  static AudioComponent c = [] {
    AudioComponentDescription d = {kAudioUnitType_Effect, 'recf', 'Test', 0, 0};
    return AudioComponentRegister(&d, CFSTR("Test: Recorder"), 0x00010203, Factory);
  }();
  return c;
}

Component entryComponent()
{
  static Component c = [] {
    ComponentDescription d = {kAudioUnitType_Effect, 'rece', 'Test', 0, 0};
    return RegisterComponent(&d, Entry, 0, nullptr, nullptr, nullptr);
  }();
  return c;
}

int listenerCount(AudioUnit unit)
{
  Unit* u = (Unit*)GetComponentInstanceStorage(unit);
  return u ? (int)u->listeners.size() : -1;
}

}  // namespace rec
