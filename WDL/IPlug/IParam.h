// IParam: one parameter of a plug-in: its value type, range, shape, display
// and the normalised (0..1) position that editors and hosts use.
#pragma once

#include "ptrlist.h"
#include "wdlstring.h"

#define MAX_PARAM_NAME_LEN 32
#define MAX_PARAM_LABEL_LEN 32
#define MAX_PARAM_DISPLAY_TEXT_LEN 32

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool,
    kTypeInt,
    kTypeEnum,
    kTypeDouble
  };

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;
  ~IParam();

  // Initialisers. The range is min..max with values kept on multiples of step
  // above min for the integer kinds; shape > 1 gives the low end more of the
  // normalised range. A double's display precision follows its step.
  void InitBool(const char* name, bool defaultVal, const char* label = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", double shape = 1.0);

  int Type() const { return (int)mType; }

  // Sets the plain value, clamped to the range.
  void Set(double value);
  void SetNormalized(double normalizedValue);
  // Sets the value from a display text or, failing that, from a number.
  void SetDisplayText(int value, const char* text);
  void NegateDisplay() { mNegateDisplay = true; }
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }

  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const { return (int)mValue; }
  double DBToAmp() const;

  double GetDefault() const { return mDefault; }
  double GetDefaultNormalized() const { return GetNormalized(mDefault); }
  double GetNormalized() const { return GetNormalized(mValue); }
  // The normalised position of a plain value, clamped to the range first.
  double GetNormalized(double nonNormalizedValue) const;
  // The plain value at a normalised position (0..1, clamped).
  double GetNonNormalized(double normalizedValue) const;

  // Display string of the current value (callers give 32 bytes).
  void GetDisplayForHost(char* out, bool withDisplayText = true) const;
  // Display string of a value, plain or normalised.
  void GetDisplayForHost(double value, bool normalized, char* out,
                         bool withDisplayText = true) const;
  void GetDisplayForHostNoDisplayText(char* out) const { GetDisplayForHost(out, false); }

  const char* GetNameForHost() const { return mName; }
  // The unit label, or "" when the current value has a non-empty display text.
  const char* GetLabelForHost() const;
  bool DisplayIsNegated() const { return mNegateDisplay; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }

  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The display text of a value, "" when none is assigned.
  const char* GetDisplayText(int value) const;
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  // Looks text up among the display texts; on a match stores its value.
  bool MapDisplayText(const char* text, int* value) const;

  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetRange() const { return mMax - mMin; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }

private:
  struct DisplayText
  {
    int mValue;
    char mText[MAX_PARAM_DISPLAY_TEXT_LEN];
  };

  void Init(EParamType type, const char* name, double defaultVal, double minVal, double maxVal,
            double step, const char* label, double shape);
  double Constrain(double value) const;

  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0, mMax = 1.0, mStep = 1.0, mShape = 1.0, mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[MAX_PARAM_NAME_LEN] = "";
  char mLabel[MAX_PARAM_LABEL_LEN] = "";
  bool mNegateDisplay = false;
  WDL_PtrList<DisplayText> mDisplayTexts;
};
