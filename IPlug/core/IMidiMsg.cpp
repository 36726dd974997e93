#include "IMidiMsg.h"

#include <cstdio>

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = (uint8_t)((kNoteOn << 4) | channel);
  mData1 = (uint8_t)noteNumber;
  mData2 = (uint8_t)velocity;
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = (uint8_t)((kNoteOff << 4) | channel);
  mData1 = (uint8_t)noteNumber;
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = (uint8_t)((kPitchWheel << 4) | channel);
  // Clamp before converting so that no value, however large, overflows the int.
  double scaled = value * 8192.0;
  if (!(scaled > -8192.0)) scaled = -8192.0;
  if (scaled > 8191.0) scaled = 8191.0;
  const int i = (int)scaled + 8192;
  mData1 = (uint8_t)(i & 0x7F);
  mData2 = (uint8_t)(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = (uint8_t)((kControlChange << 4) | channel);
  mData1 = (uint8_t)idx;
  double scaled = value * 127.0;
  if (!(scaled > 0.0)) scaled = 0.0;
  if (scaled > 127.0) scaled = 127.0;
  mData2 = (uint8_t)(int)scaled;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  const int kind = mStatus >> 4;
  return (kind >= kNoteOff && kind <= kPitchWheel) ? (EStatusMsg)kind : kNone;
}

int IMidiMsg::NoteNumber() const
{
  const EStatusMsg kind = StatusMsg();
  return (kind == kNoteOn || kind == kNoteOff || kind == kPolyAftertouch) ? mData1 : -1;
}

int IMidiMsg::Velocity() const
{
  const EStatusMsg kind = StatusMsg();
  return (kind == kNoteOn || kind == kNoteOff) ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const { return StatusMsg() == kPolyAftertouch ? mData2 : -1; }

int IMidiMsg::ChannelAfterTouch() const { return StatusMsg() == kChannelAftertouch ? mData1 : -1; }

int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (double)(mData2 * 128 + mData1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  return (StatusMsg() == kControlChange && mData1 == (int)idx) ? mData2 / 127.0 : -1.0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg msg)
{
  switch (msg) {
    case kNone:
      return "none";
    case kNoteOff:
      return "noteoff";
    case kNoteOn:
      return "noteon";
    case kPolyAftertouch:
      return "aftertouch";
    case kControlChange:
      return "controlchange";
    case kProgramChange:
      return "programchange";
    case kChannelAftertouch:
      return "channelaftertouch";
    case kPitchWheel:
      return "pitchwheel";
  }
  return "unknown";
}

char* SysExStr(char* str, int maxLen, const uint8_t* pData, int size)
{
  if (!str || maxLen <= 0) return str;
  str[0] = '\0';
  if (!pData || size <= 0) return str;
  const int n = size < maxLen / 3 ? size : maxLen / 3;
  char* p = str;
  for (int i = 0; i < n; ++i) p += snprintf(p, (size_t)(maxLen - (p - str)), i ? " %02X" : "%02X", pData[i]);
  return str;
}
