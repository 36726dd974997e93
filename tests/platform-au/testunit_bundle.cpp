// A gain unit shipped in a test bundle: one parameter (gain, 0-2), a render callback as input,
// property listeners and render notifications; reachable through its factory and its entry.
#include <AudioToolbox/AudioToolbox.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct Listener
{
  AudioUnitPropertyID id;
  AudioUnitPropertyListenerProc proc;
  void* user;
};

struct GainUnit
{
  AudioComponentPlugInInterface iface;  // first: the factory record is the object
  AudioUnit instance = nullptr;
  Float32 gain = 1.0f;
  Float64 sampleRate = 44100.0;
  bool initialized = false;
  AURenderCallbackStruct input{};
  AURenderCallbackStruct notify{};
  Listener listeners[8];
  int listenerCount = 0;
};

GainUnit* self(void* p) { return (GainUnit*)p; }

OSStatus Initialize(void* p)
{
  self(p)->initialized = true;
  return noErr;
}
OSStatus Uninitialize(void* p)
{
  self(p)->initialized = false;
  return noErr;
}
OSStatus GetPropertyInfo(void*, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, UInt32* size,
                         Boolean* writable)
{
  if (id != kAudioUnitProperty_SampleRate) return kAudioUnitErr_InvalidProperty;
  if (size) *size = sizeof(Float64);
  if (writable) *writable = true;
  return noErr;
}
OSStatus GetProperty(void* p, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, void* data, UInt32* size)
{
  if (id != kAudioUnitProperty_SampleRate || !data || !size || *size < sizeof(Float64))
    return kAudioUnitErr_InvalidProperty;
  *(Float64*)data = self(p)->sampleRate;
  *size = sizeof(Float64);
  return noErr;
}
OSStatus SetProperty(void* p, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement elem, const void* data,
                     UInt32 size)
{
  GainUnit* u = self(p);
  if (id == kAudioUnitProperty_SampleRate && size == sizeof(Float64)) {
    u->sampleRate = *(const Float64*)data;
  } else if (id == kAudioUnitProperty_SetRenderCallback && size == sizeof(AURenderCallbackStruct)) {
    u->input = *(const AURenderCallbackStruct*)data;
  } else {
    return kAudioUnitErr_InvalidProperty;
  }
  for (int i = 0; i < u->listenerCount; i++)
    if (u->listeners[i].id == id) u->listeners[i].proc(u->listeners[i].user, u->instance, id, scope, elem);
  return noErr;
}
OSStatus GetParameter(void* p, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                      AudioUnitParameterValue* v)
{
  if (id != 0 || scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidParameter;
  *v = self(p)->gain;
  return noErr;
}
OSStatus SetParameter(void* p, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                      AudioUnitParameterValue v, UInt32)
{
  if (id != 0 || scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidParameter;
  self(p)->gain = v < 0 ? 0 : v > 2 ? 2 : v;
  return noErr;
}
OSStatus AddPropertyListener(void* p, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* user)
{
  GainUnit* u = self(p);
  if (u->listenerCount == 8) return kAudioUnitErr_CannotDoInCurrentContext;
  u->listeners[u->listenerCount++] = {id, proc, user};
  return noErr;
}
OSStatus RemovePropertyListenerWithUserData(void* p, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                            void* user)
{
  GainUnit* u = self(p);
  for (int i = 0; i < u->listenerCount; i++)
    if (u->listeners[i].id == id && u->listeners[i].proc == proc && u->listeners[i].user == user) {
      u->listeners[i] = u->listeners[--u->listenerCount];
      break;
    }
  return noErr;
}
OSStatus AddRenderNotify(void* p, AURenderCallback proc, void* user)
{
  self(p)->notify = {proc, user};
  return noErr;
}
OSStatus RemoveRenderNotify(void* p, AURenderCallback proc, void*)
{
  if (self(p)->notify.inputProc == proc) self(p)->notify = {};
  return noErr;
}
OSStatus Render(void* p, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                AudioBufferList* io)
{
  GainUnit* u = self(p);
  if (!u->initialized) return kAudioUnitErr_Uninitialized;
  if (!u->input.inputProc) return kAudioUnitErr_NoConnection;
  if (u->notify.inputProc) {
    AudioUnitRenderActionFlags pre = kAudioUnitRenderAction_PreRender;
    u->notify.inputProc(u->notify.inputProcRefCon, &pre, ts, bus, frames, io);
  }
  OSStatus r = u->input.inputProc(u->input.inputProcRefCon, flags, ts, 0, frames, io);
  if (r != noErr) return r;
  for (UInt32 b = 0; b < io->mNumberBuffers; b++) {
    Float32* s = (Float32*)io->mBuffers[b].mData;
    for (UInt32 i = 0; i < frames; i++) s[i] *= u->gain;
  }
  if (u->notify.inputProc) {
    AudioUnitRenderActionFlags post = kAudioUnitRenderAction_PostRender;
    u->notify.inputProc(u->notify.inputProcRefCon, &post, ts, bus, frames, io);
  }
  return noErr;
}
OSStatus Reset(void* p, AudioUnitScope, AudioUnitElement)
{
  self(p)->gain = 1.0f;
  return noErr;
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
    case kAudioUnitAddPropertyListenerSelect:
      return (AudioComponentMethod)AddPropertyListener;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return (AudioComponentMethod)RemovePropertyListenerWithUserData;
    case kAudioUnitAddRenderNotifySelect:
      return (AudioComponentMethod)AddRenderNotify;
    case kAudioUnitRemoveRenderNotifySelect:
      return (AudioComponentMethod)RemoveRenderNotify;
    case kAudioUnitRenderSelect:
      return (AudioComponentMethod)Render;
    case kAudioUnitResetSelect:
      return (AudioComponentMethod)Reset;
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
  self(p)->~GainUnit();
  free(p);
  return noErr;
}

GainUnit* make()
{
  void* mem = malloc(sizeof(GainUnit));
  if (!mem) return nullptr;
  GainUnit* u = new (mem) GainUnit;
  u->iface = {Open, Close, Lookup, nullptr};
  return u;
}

// Reads argument i of an entry block.
template <class T>
T arg(ComponentParameters* params, int i)
{
  T v;
  memcpy(&v, &params->params[i + 1], sizeof v);
  return v;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface* TestUnit_Factory(
    const AudioComponentDescription*)
{
  GainUnit* u = make();
  return u ? &u->iface : nullptr;
}

// The same unit through the component-manager entry (the selectors the tests use).
extern "C" __attribute__((visibility("default"))) ComponentResult TestUnit_Entry(ComponentParameters* params,
                                                                                 Handle storage)
{
  GainUnit* u = (GainUnit*)storage;
  switch (params->what) {
    case kComponentOpenSelect: {
      GainUnit* n = make();
      if (!n) return memFullErr;
      n->instance = arg<ComponentInstance>(params, 0);
      SetComponentInstanceStorage(n->instance, (Handle)n);
      return noErr;
    }
    case kComponentCloseSelect:
      return Close(u);
    case kComponentVersionSelect:
      return 0x00010105;
    case kComponentCanDoSelect:
      return Lookup(arg<SInt16>(params, 0)) != nullptr;
    case kAudioUnitInitializeSelect:
      return Initialize(u);
    case kAudioUnitGetParameterSelect:
      return GetParameter(u, arg<AudioUnitParameterID>(params, 0), arg<AudioUnitScope>(params, 1),
                          arg<AudioUnitElement>(params, 2), arg<AudioUnitParameterValue*>(params, 3));
    case kAudioUnitSetParameterSelect:
      return SetParameter(u, arg<AudioUnitParameterID>(params, 0), arg<AudioUnitScope>(params, 1),
                          arg<AudioUnitElement>(params, 2), arg<AudioUnitParameterValue>(params, 3),
                          arg<UInt32>(params, 4));
    default:
      return badComponentSelector;
  }
}
