#pragma once
// A MIDI channel message and a system-exclusive block, as they pass between host and plug-in.

#include <cstdint>

struct IMidiMsg
{
  int mOffset;  // frame within the current block
  uint8_t mStatus, mData1, mData2;

  // Message kinds: the upper four bits of the status byte.
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // Controller numbers carried in data1.
  enum EControlChangeMsg {
    kBankSelect = 0,
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kDataEntry = 6,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kLegatoOnOff = 68,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kLocalControlOnOff = 122,
    kAllNotesOff = 123
  };

  explicit IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  // Builders; each first clears the whole record. The channel is expected in 0 ... 15.
  void Clear();
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value in [-1, 1]: 14 bits around 8192, clamped to 0 ... 16383.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value in [0, 1] scaled to 0 ... 127.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  // Readers; a reader for another kind answers -1 (0.0 for the pitch wheel).
  int Channel() const { return mStatus & 0x0F; }
  // The kind when it is 8 ... 14, otherwise kNone.
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;
  int Velocity() const;
  int PolyAfterTouch() const;
  int ChannelAfterTouch() const;
  int Program() const;
  // In [-1, 1).
  double PitchWheel() const;
  EControlChangeMsg ControlChangeIdx() const { return (EControlChangeMsg)mData1; }
  // data2 / 127 for a change of that controller, otherwise -1.
  double ControlChange(EControlChangeMsg idx) const;

  static const char* StatusMsgStr(EStatusMsg msg);
  void LogMsg() {}
};

struct ISysEx
{
  int mOffset, mSize;
  const uint8_t* mData;  // not owned

  explicit ISysEx(int offset = 0, const uint8_t* pData = nullptr, int size = 0)
      : mOffset(offset), mSize(size), mData(pData)
  {
  }
  void Clear()
  {
    mOffset = mSize = 0;
    mData = nullptr;
  }
  void LogMsg() {}
};

// Writes the first min(size, maxLen / 3) bytes of pData as "%02X" separated by spaces into str
// (maxLen characters); returns str.
char* SysExStr(char* str, int maxLen, const uint8_t* pData, int size);
