// A small stand-alone plug-in for editor tests: a linear gain (0..10), a
// three-way enum with names, and a negated-display reduction (-12..0). It
// writes into the given log (which must outlive it) what the editor asks of
// it: gesture brackets, parameter changes (as the host hears of them) and
// editor resizes.
#pragma once

#include <string>
#include <vector>

#include "IPlugStandalone.h"

class TestPlug : public IPlugStandalone
{
public:
  enum
  {
    kGain = 0,
    kMode,
    kReduction,
    kNumParams
  };

  explicit TestPlug(std::vector<std::string>* log = nullptr)
      : IPlugStandalone(IPlugInstanceInfo(), kNumParams, "2-2", 1, "Test", "Test", "Test", 0x10000,
                        1, 1, 0, false, false, false, 0),
        mLog(log)
  {
    GetParam(kGain)->InitDouble("Gain", 5.0, 0.0, 10.0, 0.1, "dB");
    GetParam(kMode)->InitEnum("Mode", 1, 3);
    GetParam(kMode)->SetDisplayText(0, "Hall");
    GetParam(kMode)->SetDisplayText(1, "Room");
    GetParam(kMode)->SetDisplayText(2, "Plate");
    GetParam(kReduction)->InitDouble("Reduction", 0.0, -12.0, 0.0, 0.1, "dB");
    GetParam(kReduction)->NegateDisplay();
  }

  void BeginInformHostOfParamChange(int idx) override { Log("begin " + std::to_string(idx)); }
  void EndInformHostOfParamChange(int idx) override { Log("end " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double v) override
  {
    char s[64];
    snprintf(s, sizeof s, "set %d %g", idx, v);
    Log(s);
  }
  void ResizeGraphics(int w, int h) override
  {
    Log("resize " + std::to_string(w) + "x" + std::to_string(h));
  }
  bool MutexHeld() const { return mMutex.HeldByCurrentThread(); }
  void Log(const std::string& what)
  {
    if (mLog) mLog->push_back(what);
  }

private:
  std::vector<std::string>* mLog;
};
