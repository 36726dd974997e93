// The host's calls on a unit, each passed to the unit's Lookup function or entry routine.
#include "ComponentRegistry.h"

using at::dispatch;

extern "C" {

OSStatus AudioUnitInitialize(AudioUnit inUnit)
{
  return dispatch<AudioUnitInitializeProc>(inUnit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit inUnit)
{
  return dispatch<AudioUnitUninitializeProc>(inUnit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable)
{
  return dispatch<AudioUnitGetPropertyInfoProc>(inUnit, kAudioUnitGetPropertyInfoSelect, inID, inScope, inElement,
                                                outDataSize, outWritable);
}

OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize)
{
  return dispatch<AudioUnitGetPropertyProc>(inUnit, kAudioUnitGetPropertySelect, inID, inScope, inElement, outData,
                                            ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize)
{
  return dispatch<AudioUnitSetPropertyProc>(inUnit, kAudioUnitSetPropertySelect, inID, inScope, inElement, inData,
                                            inDataSize);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                      void* inProcUserData)
{
  return dispatch<AudioUnitAddPropertyListenerProc>(inUnit, kAudioUnitAddPropertyListenerSelect, inID, inProc,
                                                    inProcUserData);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitPropertyListenerProc inProc)
{
  return dispatch<AudioUnitRemovePropertyListenerProc>(inUnit, kAudioUnitRemovePropertyListenerSelect, inID, inProc);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData)
{
  return dispatch<AudioUnitRemovePropertyListenerWithUserDataProc>(
      inUnit, kAudioUnitRemovePropertyListenerWithUserDataSelect, inID, inProc, inProcUserData);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData)
{
  return dispatch<AudioUnitAddRenderNotifyProc>(inUnit, kAudioUnitAddRenderNotifySelect, inProc, inProcUserData);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData)
{
  return dispatch<AudioUnitRemoveRenderNotifyProc>(inUnit, kAudioUnitRemoveRenderNotifySelect, inProc, inProcUserData);
}

OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue)
{
  return dispatch<AudioUnitGetParameterProc>(inUnit, kAudioUnitGetParameterSelect, inID, inScope, inElement, outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames)
{
  return dispatch<AudioUnitSetParameterProc>(inUnit, kAudioUnitSetParameterSelect, inID, inScope, inElement, inValue,
                                             inBufferOffsetInFrames);
}

OSStatus AudioUnitScheduleParameters(AudioUnit inUnit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents)
{
  return dispatch<AudioUnitScheduleParametersProc>(inUnit, kAudioUnitScheduleParametersSelect, inParameterEvent,
                                                   inNumParamEvents);
}

OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData)
{
  return dispatch<AudioUnitRenderProc>(inUnit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber,
                                       inNumberFrames, ioData);
}

OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement)
{
  return dispatch<AudioUnitResetProc>(inUnit, kAudioUnitResetSelect, inScope, inElement);
}

OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame)
{
  return dispatch<MusicDeviceMIDIEventProc>(inUnit, kMusicDeviceMIDIEventSelect, inStatus, inData1, inData2,
                                            inOffsetSampleFrame);
}

OSStatus MusicDeviceSysEx(MusicDeviceComponent inUnit, const UInt8* inData, UInt32 inLength)
{
  return dispatch<MusicDeviceSysExProc>(inUnit, kMusicDeviceSysExSelect, inData, inLength);
}

OSStatus MusicDeviceStartNote(MusicDeviceComponent inUnit, MusicDeviceInstrumentID inInstrument,
                              MusicDeviceGroupID inGroupID, NoteInstanceID* outNoteInstanceID,
                              UInt32 inOffsetSampleFrame, const MusicDeviceNoteParams* inParams)
{
  return dispatch<MusicDeviceStartNoteProc>(inUnit, kMusicDeviceStartNoteSelect, inInstrument, inGroupID,
                                            outNoteInstanceID, inOffsetSampleFrame, inParams);
}

OSStatus MusicDeviceStopNote(MusicDeviceComponent inUnit, MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
                             UInt32 inOffsetSampleFrame)
{
  return dispatch<MusicDeviceStopNoteProc>(inUnit, kMusicDeviceStopNoteSelect, inGroupID, inNoteInstanceID,
                                           inOffsetSampleFrame);
}

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, WindowRef inWindow,
                                   ControlRef inParentControl, const Float32Point* inLocation,
                                   const Float32Point* inSize, ControlRef* outControl)
{
  if (!at::usable(inView)) return badComponentInstance;
  const long args[] = {at::slot(inAudioUnit), at::slot(inWindow), at::slot(inParentControl),
                       at::slot(inLocation),  at::slot(inSize),   at::slot(outControl)};
  return at::callEntry(inView, kAudioUnitCarbonViewCreateSelect, args, 6);
}

}  // extern "C"
