#include "IParam.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IPlugText.h"

namespace {
// v truncated toward zero, held inside the int range (NaN gives 0).
int TruncToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (-2147483647 - 1);
  return (int)v;
}
}  // namespace

IParam::IParam()
    : mType(kTypeNone),
      mValue(0.0),
      mMin(0.0),
      mMax(1.0),
      mStep(1.0),
      mShape(1.0),
      mDefault(0.0),
      mDisplayPrecision(0),
      mNegateDisplay(false),
      mCanAutomate(true),
      mIsMeta(false)
{
  mName[0] = mLabel[0] = mParamGroup[0] = '\0';
}

void IParam::InitCommon(EParamType type, const char* name, const char* label, const char* group)
{
  if (mType == kTypeNone) mType = type;
  CopyText(mName, MAX_PARAM_NAME_LEN, name);
  CopyText(mLabel, MAX_PARAM_NAME_LEN, label);
  CopyText(mParamGroup, MAX_PARAM_NAME_LEN, group);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  InitCommon(kTypeBool, name, label, group);
  mValue = mDefault = defaultVal ? 1.0 : 0.0;
  mMin = 0.0;
  mMax = mStep = mShape = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group)
{
  InitCommon(kTypeEnum, name, label, group);
  mValue = mDefault = defaultVal;
  mMin = 0.0;
  mMax = nEnums - 1 > 1 ? nEnums - 1 : 1;
  mStep = mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, const char* group)
{
  InitCommon(kTypeInt, name, label, group);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  mMax = (double)maxVal > (double)minVal + 1.0 ? (double)maxVal : (double)minVal + 1.0;
  mStep = mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  InitCommon(kTypeDouble, name, label, group);
  mValue = mDefault = defaultVal;
  mMin = minVal;
  mMax = maxVal > minVal + step ? maxVal : minVal + step;
  mStep = step;
  mDisplayPrecision = 0;
  for (double s = step; s != std::floor(s) && mDisplayPrecision < 6; s *= 10.0) ++mDisplayPrecision;
  SetShape(shape);
}

void IParam::Set(double value)
{
  if (std::isnan(value)) return;
  mValue = value < mMin ? mMin : (value > mMax ? mMax : value);
}

double IParam::FromNormalized(double normalizedValue) const
{
  return mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
}

void IParam::SetNormalized(double normalizedValue)
{
  if (std::isnan(normalizedValue)) return;
  double v = FromNormalized(normalizedValue);
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  mValue = v < mMax ? v : mMax;
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text)
{
  DisplayText rec;
  rec.mValue = value;
  CopyText(rec.mText, MAX_PARAM_DISPLAY_LEN, text);
  mDisplayTexts.Add(rec);
}

double IParam::DBToAmp() const { return std::exp(mValue * 0.1151292546497); }

double IParam::GetNormalized(double nonNormalizedValue) const
{
  double v = nonNormalizedValue < mMin ? mMin : (nonNormalizedValue > mMax ? mMax : nonNormalizedValue);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalizedValue) const { return FromNormalized(normalizedValue); }

void IParam::GetDisplayForHost(double value, bool normalized, char* rDisplay, bool withDisplayText) const
{
  if (normalized) value = FromNormalized(value);
  if (withDisplayText) {
    const char* text = GetDisplayText(TruncToInt(value));
    if (*text) {
      CopyText(rDisplay, MAX_PARAM_DISPLAY_LEN, text);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0)
    snprintf(rDisplay, MAX_PARAM_DISPLAY_LEN, "%d", TruncToInt(value));
  else
    snprintf(rDisplay, MAX_PARAM_DISPLAY_LEN, "%.*f", mDisplayPrecision, value);
}

const char* IParam::GetLabelForHost() const { return *GetDisplayText(TruncToInt(mValue)) ? "" : mLabel; }

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* recs = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i)
    if (recs[i].mValue == value) return recs[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* pValue) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& rec = mDisplayTexts.Get()[idx];
  if (pValue) *pValue = rec.mValue;
  return rec.mText;
}

bool IParam::ValueFromText(const char* str, const ITextToValueRule& rule, double* pValue) const
{
  const bool lookUp = rule.lookup == ITextToValueRule::kLookUpWhenDisplayTexts
                          ? GetNDisplayTexts() > 0
                          : (mType == kTypeBool || mType == kTypeEnum);
  if (lookUp) {
    int key = 0;
    if (MapDisplayText(str, &key)) {
      *pValue = (double)key;
      return true;
    }
    if (!rule.unmatchedIsZero) return false;
    *pValue = 0.0;
    return true;
  }
  const double v = str ? atof(str) : 0.0;
  *pValue = mNegateDisplay ? -v : v;
  return true;
}

bool IParam::MapDisplayText(const char* str, int* pValue) const
{
  if (!str) return false;
  const DisplayText* recs = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (strcmp(recs[i].mText, str) == 0) {
      *pValue = recs[i].mValue;
      return true;
    }
  }
  return false;
}
