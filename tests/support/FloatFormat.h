#pragma once
// The stream format the tests, benchmarks and fuzz targets give a unit: 32-bit float, packed,
// non-interleaved, and the call that sets it on both sides of a unit.

#include <AudioToolbox/AudioToolbox.h>

#include <cstring>

// 32-bit float, packed, non-interleaved.
inline AudioStreamBasicDescription FloatFormat(UInt32 channels, double sampleRate = 44100.0)
{
  AudioStreamBasicDescription f;
  memset(&f, 0, sizeof(f));
  f.mSampleRate = sampleRate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = 4;
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = 4;
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 32;
  return f;
}

// Sets FloatFormat on input and output bus 0 and the maximum frames per slice; the first
// failing call's status, or noErr.
inline OSStatus SetFloatIO(AudioUnit unit, UInt32 channels, double sampleRate, UInt32 maxFrames)
{
  const AudioStreamBasicDescription f = FloatFormat(channels, sampleRate);
  OSStatus err = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, sizeof(f));
  if (!err) err = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &f, sizeof(f));
  if (!err)
    err = AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                               sizeof(maxFrames));
  return err;
}
