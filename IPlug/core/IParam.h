#pragma once
// One automatable parameter: type, value, range, step, curve, texts, and the conversions between
// its own value, the normalized value hosts and editors use, and the text shown to the user.

#include "base/heapbuf.h"

#define MAX_PARAM_NAME_LEN 32
#define MAX_PARAM_DISPLAY_LEN 32

// How text typed for a parameter (by a host, or into the editor's prompt) becomes a value: which
// parameters look the text up among their display texts, and what a text found there does not
// give. Every other parameter reads the text as a number, negated for a negated display.
struct ITextToValueRule
{
  enum ELookup {
    kLookUpWhenDisplayTexts,  // parameters that have display texts
    kLookUpWhenBoolOrEnum     // boolean and enumerated parameters
  };
  ELookup lookup;
  bool unmatchedIsZero;  // true: a text not found gives 0; false: it gives no value
};

class IParam
{
public:
  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };

  // A parameter of no type: value 0 in [0, 1], step 1, linear, automatable, no texts.
  IParam();

  // Each initialiser sets the type only while it is still none; texts longer than 31 characters are cut.
  // Boolean: 0 or 1 with the display texts "off" and "on".
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  // Enumerated: 0 ... max(1, nEnums - 1); the caller adds the entries' texts.
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  // Integer: min ... max(min + 1, max), step 1.
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  // Real: min ... max(min + step, max); display precision follows the step; a shape of 0 keeps the old one.
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Stores the value clamped into [min, max]; NaN leaves the value as it is.
  void Set(double value);
  // Stores min + (max - min) * n^shape, rounded to the step unless the type is double, capped at max;
  // NaN leaves the value as it is.
  void SetNormalized(double normalizedValue);
  // Takes the shape when it is not 0.
  void SetShape(double shape);
  // Appends a text for a value; an earlier text for the same value keeps precedence.
  void SetDisplayText(int value, const char* text);
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  void SetIsMeta(bool meta) { mIsMeta = meta; }

  // The stored value, and the same truncated toward zero.
  double Value() const { return mValue; }
  int Int() const { return (int)mValue; }
  bool Bool() const { return mValue >= 0.5; }
  // The value read as decibels, as a linear gain.
  double DBToAmp() const;
  // The current value normalized: ((v - min) / (max - min))^(1 / shape), v clamped into the range.
  double GetNormalized() const { return GetNormalized(mValue); }
  // The same for a given value.
  double GetNormalized(double nonNormalizedValue) const;
  // min + (max - min) * n^shape, neither rounded nor clamped.
  double GetNonNormalized(double normalizedValue) const;

  // Writes the text for value (normalized when normalized is set) into rDisplay, which must hold
  // MAX_PARAM_DISPLAY_LEN characters; a display text, when asked for and present, wins.
  void GetDisplayForHost(double value, bool normalized, char* rDisplay, bool withDisplayText = true) const;
  // The same for the current value.
  void GetDisplayForHost(char* rDisplay, bool withDisplayText = true) const
  {
    GetDisplayForHost(mValue, false, rDisplay, withDisplayText);
  }

  const char* GetNameForHost() const { return mName; }
  const char* GetParamGroupForHost() const { return mParamGroup; }
  // The label, or "" when the current value has a non-empty display text.
  const char* GetLabelForHost() const;
  // The first display text for a value, or "".
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of the record at idx (below GetNDisplayTexts()); its value goes to *pValue when given.
  const char* GetDisplayTextAtIdx(int idx, int* pValue = nullptr) const;
  // Finds the first record whose text equals str exactly and stores its value; false when none.
  bool MapDisplayText(const char* str, int* pValue) const;
  // The value, in the parameter's units, of text typed for it under rule; false (*pValue
  // untouched) when the rule gives none. Null text reads as the number 0.
  bool ValueFromText(const char* str, const ITextToValueRule& rule, double* pValue) const;

  EParamType Type() const { return mType; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  void GetBounds(double* pMin, double* pMax) const
  {
    *pMin = mMin;
    *pMax = mMax;
  }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetNegateDisplay() const { return mNegateDisplay; }
  bool NegateDisplay() const { return mNegateDisplay; }
  bool GetCanAutomate() const { return mCanAutomate; }
  bool GetIsMeta() const { return mIsMeta; }

private:
  struct DisplayText
  {
    int mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

  // Takes the type when none is set yet, and the three texts.
  void InitCommon(EParamType type, const char* name, const char* label, const char* group);
  // min + (max - min) * n^shape.
  double FromNormalized(double normalizedValue) const;

  EParamType mType;
  double mValue, mMin, mMax, mStep, mShape, mDefault;
  int mDisplayPrecision;
  char mName[MAX_PARAM_NAME_LEN], mLabel[MAX_PARAM_NAME_LEN], mParamGroup[MAX_PARAM_NAME_LEN];
  bool mNegateDisplay, mCanAutomate, mIsMeta;
  WDL_TypedBuf<DisplayText> mDisplayTexts;
};
