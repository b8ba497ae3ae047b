#include "IParam.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <cstdio>

namespace
{
void CopyText(char* dst, size_t size, const char* src)
{
  std::snprintf(dst, size, "%s", src ? src : "");
}
} // namespace

IParam::~IParam() { mDisplayTexts.Empty(true); }

void IParam::Init(EParamType type, const char* name, double defaultVal, double minVal,
                  double maxVal, double step, const char* label, double shape)
{
  mType = type;
  CopyText(mName, sizeof(mName), name);
  CopyText(mLabel, sizeof(mLabel), label);
  if (maxVal < minVal) std::swap(minVal, maxVal);
  mMin = minVal;
  mMax = maxVal;
  mStep = step > 0.0 ? step : 1.0;
  mShape = shape > 0.0 ? shape : 1.0;
  mDisplayPrecision = 0;
  if (type == kTypeDouble && mStep < 1.0)
  {
    // Enough decimals to show one step: 0.1 -> 1, 0.01 -> 2, 0.25 -> 2.
    mDisplayPrecision = (int)std::ceil(-std::log10(mStep) - 1e-9);
    double s = mStep * std::pow(10.0, mDisplayPrecision);
    while (mDisplayPrecision < 12 && std::fabs(s - std::round(s)) > 1e-9)
    {
      ++mDisplayPrecision;
      s *= 10.0;
    }
  }
  mDefault = Constrain(defaultVal);
  mValue = mDefault;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label)
{
  Init(kTypeBool, name, defaultVal ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, 1.0);
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label)
{
  Init(kTypeEnum, name, defaultVal, 0.0, nEnums > 1 ? nEnums - 1 : 0, 1.0, label, 1.0);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label)
{
  Init(kTypeInt, name, defaultVal, minVal, maxVal, 1.0, label, 1.0);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, double shape)
{
  Init(kTypeDouble, name, defaultVal, minVal, maxVal, step, label, shape);
}

double IParam::Constrain(double value) const
{
  if (std::isnan(value)) value = mMin;
  if (value < mMin) value = mMin;
  if (value > mMax) value = mMax;
  if (mType != kTypeDouble && mType != kTypeNone)
  {
    value = mMin + std::floor((value - mMin) / mStep + 0.5) * mStep;
    if (value > mMax) value = mMax;
  }
  return value;
}

void IParam::Set(double value) { mValue = Constrain(value); }

void IParam::SetNormalized(double normalizedValue)
{
  mValue = Constrain(GetNonNormalized(normalizedValue));
}

double IParam::GetNormalized(double value) const
{
  if (mMax <= mMin) return 0.0;
  if (std::isnan(value)) value = mMin;
  if (value < mMin) value = mMin;
  if (value > mMax) value = mMax;
  const double linear = (value - mMin) / (mMax - mMin);
  return mShape == 1.0 ? linear : std::pow(linear, 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalizedValue) const
{
  if (std::isnan(normalizedValue) || normalizedValue < 0.0) normalizedValue = 0.0;
  if (normalizedValue > 1.0) normalizedValue = 1.0;
  const double shaped = mShape == 1.0 ? normalizedValue : std::pow(normalizedValue, mShape);
  return mMin + shaped * (mMax - mMin);
}

double IParam::DBToAmp() const { return std::pow(10.0, mValue / 20.0); }

void IParam::SetDisplayText(int value, const char* text)
{
  DisplayText* dt = new DisplayText;
  dt->mValue = value;
  CopyText(dt->mText, sizeof(dt->mText), text);
  mDisplayTexts.Add(dt);
}

const char* IParam::GetDisplayText(int value) const
{
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    const DisplayText* dt = mDisplayTexts.Get(i);
    if (dt->mValue == value) return dt->mText;
  }
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const
{
  const DisplayText* dt = mDisplayTexts.Get(idx);
  if (!dt) return "";
  if (value) *value = dt->mValue;
  return dt->mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    const DisplayText* dt = mDisplayTexts.Get(i);
    if (!std::strcmp(dt->mText, text))
    {
      *value = dt->mValue;
      return true;
    }
  }
  return false;
}

void IParam::GetDisplayForHost(char* out, bool withDisplayText) const
{
  GetDisplayForHost(mValue, false, out, withDisplayText);
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const
{
  if (normalized) value = GetNonNormalized(value);
  if (withDisplayText)
  {
    const char* text = GetDisplayText((int)value);
    if (*text)
    {
      CopyText(out, MAX_PARAM_DISPLAY_TEXT_LEN, text);
      return;
    }
  }
  double shown = mNegateDisplay ? -value : value;
  if (shown == 0.0) shown = 0.0; // no "-0.0"
  if (mDisplayPrecision == 0)
    std::snprintf(out, MAX_PARAM_DISPLAY_TEXT_LEN, "%d", (int)shown);
  else
    std::snprintf(out, MAX_PARAM_DISPLAY_TEXT_LEN, "%.*f", mDisplayPrecision, shown);
}

const char* IParam::GetLabelForHost() const { return *GetDisplayText((int)mValue) ? "" : mLabel; }
