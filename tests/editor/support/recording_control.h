// A control for tests of the surface and the plug-in core: it draws nothing,
// counts its drawings (keeping the value it had then) and writes the events
// and texts it gets into a log that the test may share with its plug-in. A drag moves
// its value like a vertical fader (one pixel up: +0.01) and pushes it.
#pragma once

#include <string>
#include <vector>

#include "IControl.h"

class RecordingControl : public IControl
{
public:
  RecordingControl(IPlugBase* plug, IRECT r, int paramIdx = -1, const char* name = "c",
                   std::vector<std::string>* log = nullptr)
      : IControl(plug, r, paramIdx), mName(name), mLog(log)
  {
  }
  ~RecordingControl() override { Log("deleted"); }

  bool Draw(IGraphics*) override
  {
    ++mDraws;
    mDrawnValue = GetValue();
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("down");
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int, int, IMouseMod*) override { Log("up"); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override
  {
    Log("drag " + std::to_string(dX) + "," + std::to_string(dY));
    mValue -= dY * 0.01;
    SetDirty();
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    Log("dblclick");
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override
  {
    Log("wheel " + std::to_string(d));
    IControl::OnMouseWheel(x, y, mod, d);
  }
  bool OnKeyDown(int, int, int key) override
  {
    Log("key " + std::to_string(key));
    return mTakesKeys;
  }
  void SetTextFromPlug(const char* text) override { Log(std::string("text ") + text); }

  void Log(const std::string& what)
  {
    if (mLog) mLog->push_back(mName + " " + what);
  }

  std::string mName;
  std::vector<std::string>* mLog;
  bool mTakesKeys = false;
  int mDraws = 0;
  double mDrawnValue = -1.0;
};
