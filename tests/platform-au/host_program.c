// A host written in C for macOS against the system interfaces, built unchanged: it finds the
// test bundle's gain unit, opens, configures, renders and disposes it.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>

#include <stdio.h>
#include <string.h>

static OSStatus HostInput(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                          UInt32 inBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData)
{
  (void)inRefCon, (void)ioActionFlags, (void)inTimeStamp, (void)inBusNumber;
  for (UInt32 b = 0; b < ioData->mNumberBuffers; b++) {
    Float32* out = (Float32*)ioData->mBuffers[b].mData;
    for (UInt32 i = 0; i < inNumberFrames; i++) out[i] = 1.0f;
  }
  return noErr;
}

// Returns 0 when every step succeeded, otherwise the number of the failing step.
int RunMacHost(char* nameOut, size_t nameSize, float* firstSampleOut)
{
  AudioComponentDescription desc;
  memset(&desc, 0, sizeof desc);
  desc.componentType = kAudioUnitType_Effect;
  desc.componentManufacturer = 'Test';
  AudioComponent comp = NULL;
  while ((comp = AudioComponentFindNext(comp, &desc)) != NULL) {
    AudioComponentDescription found;
    AudioComponentGetDescription(comp, &found);
    if (found.componentSubType == 'tgan') break;
  }
  if (!comp) return 1;
  CFStringRef name = NULL;
  if (AudioComponentCopyName(comp, &name) != noErr) return 2;
  Boolean ok = CFStringGetCString(name, nameOut, (CFIndex)nameSize, kCFStringEncodingUTF8);
  CFRelease(name);
  if (!ok) return 3;

  AudioUnit unit = NULL;
  if (AudioComponentInstanceNew(comp, &unit) != noErr) return 4;
  Float64 rate = 48000.0;
  if (AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate) != noErr)
    return 5;
  AURenderCallbackStruct input = {HostInput, NULL};
  if (AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &input,
                           sizeof input) != noErr)
    return 6;
  Float64 readBack = 0;
  UInt32 size = sizeof readBack;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &readBack, &size) != noErr ||
      readBack != rate)
    return 7;
  if (AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.25f, 0) != noErr) return 8;
  if (AudioUnitInitialize(unit) != noErr) return 9;

  Float32 left[64], right[64];
  char listMemory[sizeof(AudioBufferList) + sizeof(AudioBuffer)];
  AudioBufferList* list = (AudioBufferList*)listMemory;
  list->mNumberBuffers = 2;
  list->mBuffers[0].mNumberChannels = 1;
  list->mBuffers[0].mDataByteSize = sizeof left;
  list->mBuffers[0].mData = left;
  list->mBuffers[1].mNumberChannels = 1;
  list->mBuffers[1].mDataByteSize = sizeof right;
  list->mBuffers[1].mData = right;
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof ts);
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  if (AudioUnitRender(unit, &flags, &ts, 0, 64, list) != noErr) return 10;
  *firstSampleOut = right[0];
  if (AudioUnitUninitialize(unit) != noErr) return 11;
  if (AudioComponentInstanceDispose(unit) != noErr) return 12;
  return 0;
}
