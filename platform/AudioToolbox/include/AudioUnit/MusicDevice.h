/* Instruments: MIDI, SysEx and note calls on a unit. */
#ifndef MUSICDEVICE_H_
#define MUSICDEVICE_H_
#pragma GCC system_header

#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 MusicDeviceInstrumentID;
typedef UInt32 MusicDeviceGroupID;
typedef UInt32 NoteInstanceID;
typedef AudioComponentInstance MusicDeviceComponent;

enum { kMusicNoteEvent_UseGroupInstrument = 0xFFFFFFFF, kMusicNoteEvent_Unused = 0xFFFFFFFF };

typedef struct NoteParamsControlValue
{
  AudioUnitParameterID mID;
  AudioUnitParameterValue mValue;
} NoteParamsControlValue;

typedef struct MusicDeviceNoteParams
{
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
  NoteParamsControlValue mControls[1];
} MusicDeviceNoteParams;

typedef struct MusicDeviceStdNoteParams
{
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
} MusicDeviceStdNoteParams;

enum {
  kMusicDeviceRange = 0x0100,
  kMusicDeviceMIDIEventSelect = 0x0101,
  kMusicDeviceSysExSelect = 0x0102,
  kMusicDevicePrepareInstrumentSelect = 0x0103,
  kMusicDeviceReleaseInstrumentSelect = 0x0104,
  kMusicDeviceStartNoteSelect = 0x0105,
  kMusicDeviceStopNoteSelect = 0x0106,
  kMusicDeviceMIDIEventListSelect = 0x0107
};

typedef OSStatus (*MusicDeviceMIDIEventProc)(void* self, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                                             UInt32 inOffsetSampleFrame);
typedef OSStatus (*MusicDeviceSysExProc)(void* self, const UInt8* inData, UInt32 inLength);
typedef OSStatus (*MusicDeviceStartNoteProc)(void* self, MusicDeviceInstrumentID inInstrument,
                                             MusicDeviceGroupID inGroupID, NoteInstanceID* outNoteInstanceID,
                                             UInt32 inOffsetSampleFrame, const MusicDeviceNoteParams* inParams);
typedef OSStatus (*MusicDeviceStopNoteProc)(void* self, MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
                                            UInt32 inOffsetSampleFrame);

AU_EXPORT OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                                        UInt32 inOffsetSampleFrame);
AU_EXPORT OSStatus MusicDeviceSysEx(MusicDeviceComponent inUnit, const UInt8* inData, UInt32 inLength);
AU_EXPORT OSStatus MusicDeviceStartNote(MusicDeviceComponent inUnit, MusicDeviceInstrumentID inInstrument,
                                        MusicDeviceGroupID inGroupID, NoteInstanceID* outNoteInstanceID,
                                        UInt32 inOffsetSampleFrame, const MusicDeviceNoteParams* inParams);
AU_EXPORT OSStatus MusicDeviceStopNote(MusicDeviceComponent inUnit, MusicDeviceGroupID inGroupID,
                                       NoteInstanceID inNoteInstanceID, UInt32 inOffsetSampleFrame);

#ifdef __cplusplus
}
#endif

#endif
