// The component-manager entries of the unit and of its old-style view.
#include "IPlugAU.h"
#include "Log.h"

#include <string.h>

namespace {
// Argument idx (0-based, the instance not counted) of a component call: the block holds the
// calling instance first and the arguments after it, each in a slot of its own.
template <typename T>
T Arg(ComponentParameters* params, int idx)
{
  T value;
  memcpy(&value, &params->params[idx + 1], sizeof(T));
  return value;
}

// Selectors that CanDo answers yes to.
bool CanDoSelector(int select)
{
  return (select >= kAudioUnitInitializeSelect && select <= kAudioUnitSetParameterSelect) ||
         (select >= kAudioUnitResetSelect && select <= kAudioUnitRemovePropertyListenerSelect) ||
         (select >= kAudioUnitRenderSelect && select <= kAudioUnitScheduleParametersSelect);
}
}  // namespace

ComponentResult IPlugAU::IPlugAUEntry(ComponentParameters* params, void* pPlug)
{
  int select = params->what;
  IPlugAU* _this = (IPlugAU*)pPlug;
  Trace(TRACELOC, "(%d:%s)", select, AUSelectStr(select));

  if (select == kComponentOpenSelect) {
    ComponentInstance ci = (ComponentInstance)params->params[0];
    _this = (IPlugAU*)MakePlug(nullptr);
    _this->HostSpecificInit();
    _this->PruneUninitializedPresets();
    _this->mCI = (AudioComponentInstance)ci;
    SetComponentInstanceStorage(ci, (Handle)_this);
    return noErr;
  }
  if (select == kComponentCanDoSelect) return CanDoSelector(Arg<SInt16>(params, 0)) ? 1 : 0;
  if (!_this) return badComponentSelector;

  switch (select) {
    case kComponentCloseSelect: {
      _this->ClearConnections();
      delete _this;
      return noErr;
    }
    case kComponentVersionSelect:
      return _this->GetEffectVersion(false);
    case kAudioUnitInitializeSelect:
      return DoInitialize(_this);
    case kAudioUnitUninitializeSelect:
      return DoUninitialize(_this);
    case kAudioUnitGetPropertyInfoSelect:
      return DoGetPropertyInfo(_this, Arg<AudioUnitPropertyID>(params, 0), Arg<AudioUnitScope>(params, 1),
                               Arg<AudioUnitElement>(params, 2), Arg<UInt32*>(params, 3), Arg<Boolean*>(params, 4));
    case kAudioUnitGetPropertySelect:
      return DoGetProperty(_this, Arg<AudioUnitPropertyID>(params, 0), Arg<AudioUnitScope>(params, 1),
                           Arg<AudioUnitElement>(params, 2), Arg<void*>(params, 3), Arg<UInt32*>(params, 4));
    case kAudioUnitSetPropertySelect:
      return DoSetProperty(_this, Arg<AudioUnitPropertyID>(params, 0), Arg<AudioUnitScope>(params, 1),
                           Arg<AudioUnitElement>(params, 2), Arg<const void*>(params, 3), Arg<UInt32>(params, 4));
    case kAudioUnitGetParameterSelect:
      return DoGetParameter(_this, Arg<AudioUnitParameterID>(params, 0), Arg<AudioUnitScope>(params, 1),
                            Arg<AudioUnitElement>(params, 2), Arg<AudioUnitParameterValue*>(params, 3));
    case kAudioUnitSetParameterSelect:
      return DoSetParameter(_this, Arg<AudioUnitParameterID>(params, 0), Arg<AudioUnitScope>(params, 1),
                            Arg<AudioUnitElement>(params, 2), Arg<AudioUnitParameterValue>(params, 3),
                            Arg<UInt32>(params, 4));
    case kAudioUnitResetSelect:
      return DoReset(_this);
    case kAudioUnitAddPropertyListenerSelect:
      return DoAddPropertyListener(_this, Arg<AudioUnitPropertyID>(params, 0),
                                   Arg<AudioUnitPropertyListenerProc>(params, 1), Arg<void*>(params, 2));
    case kAudioUnitRemovePropertyListenerSelect:
      return DoRemovePropertyListener(_this, Arg<AudioUnitPropertyID>(params, 0),
                                      Arg<AudioUnitPropertyListenerProc>(params, 1));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return DoRemovePropertyListenerWithUserData(_this, Arg<AudioUnitPropertyID>(params, 0),
                                                  Arg<AudioUnitPropertyListenerProc>(params, 1), Arg<void*>(params, 2));
    case kAudioUnitRenderSelect:
      return DoRender(_this, Arg<AudioUnitRenderActionFlags*>(params, 0), Arg<const AudioTimeStamp*>(params, 1),
                      Arg<UInt32>(params, 2), Arg<UInt32>(params, 3), Arg<AudioBufferList*>(params, 4));
    case kAudioUnitAddRenderNotifySelect:
      return DoAddRenderNotify(_this, Arg<AURenderCallback>(params, 0), Arg<void*>(params, 1));
    case kAudioUnitRemoveRenderNotifySelect:
      return DoRemoveRenderNotify(_this, Arg<AURenderCallback>(params, 0), Arg<void*>(params, 1));
    case kAudioUnitScheduleParametersSelect:
      return DoScheduleParameters(_this, Arg<const AudioUnitParameterEvent*>(params, 0), Arg<UInt32>(params, 1));
    case kMusicDeviceMIDIEventSelect:
      return DoMIDIEvent(_this, Arg<UInt32>(params, 0), Arg<UInt32>(params, 1), Arg<UInt32>(params, 2),
                         Arg<UInt32>(params, 3));
    case kMusicDeviceSysExSelect:
      return DoSysEx(_this, Arg<const UInt8*>(params, 0), Arg<UInt32>(params, 1));
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return noErr;
    case kMusicDeviceStartNoteSelect: {
      NoteInstanceID* pNoteID = Arg<NoteInstanceID*>(params, 2);
      UInt32 offset = Arg<UInt32>(params, 3);
      const MusicDeviceNoteParams* pNote = Arg<const MusicDeviceNoteParams*>(params, 4);
      if (!pNote) return kAudioUnitErr_InvalidParameter;
      int note = (int)pNote->mPitch;
      if (pNoteID) *pNoteID = note;
      IMidiMsg msg;
      msg.MakeNoteOnMsg(note, (int)pNote->mVelocity, offset);
      WDL_MutexLock lock(&_this->mMutex);
      _this->ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDeviceStopNoteSelect: {
      NoteInstanceID noteID = Arg<NoteInstanceID>(params, 1);
      UInt32 offset = Arg<UInt32>(params, 2);
      IMidiMsg msg;
      msg.MakeNoteOffMsg((int)noteID, offset);
      WDL_MutexLock lock(&_this->mMutex);
      _this->ProcessMidiMsg(&msg);
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

ComponentResult IPlugAU::IPlugAUCarbonViewEntry(ComponentParameters* params, void* pView)
{
  int select = params->what;
  CarbonViewRecord* pRecord = (CarbonViewRecord*)pView;
  Trace(TRACELOC, "%d:%s", select, AUSelectStr(select));

  switch (select) {
    case kComponentOpenSelect: {
      ComponentInstance ci = (ComponentInstance)params->params[0];
      pRecord = new CarbonViewRecord;
      pRecord->mCI = ci;
      pRecord->mPlug = nullptr;
      SetComponentInstanceStorage(ci, (Handle)pRecord);
      return noErr;
    }
    case kComponentCloseSelect: {
      if (pRecord && pRecord->mPlug && pRecord->mPlug->GetGUI()) pRecord->mPlug->GetGUI()->CloseWindow();
      delete pRecord;
      return noErr;
    }
    case kAudioUnitCarbonViewCreateSelect: {
      if (!pRecord) return badComponentSelector;
      AudioUnit editAU = Arg<AudioUnit>(params, 0);
      IPlugAU* plug = editAU ? (IPlugAU*)GetComponentInstanceStorage((ComponentInstance)editAU) : nullptr;
      pRecord->mPlug = plug;
      if (!plug || !plug->GetGUI()) return badComponentSelector;
      void* pWindow = Arg<void*>(params, 1);
      void* pParentControl = Arg<void*>(params, 2);
      if (!pWindow) return paramErr;
      void** pOutControl = Arg<void**>(params, 5);
      void* control = plug->GetGUI()->OpenWindow(pWindow, pParentControl, 0, 0);
      if (pOutControl) *pOutControl = control;
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}
