// The control of the editor tests: it writes the events and texts it gets into
// a log that the test may share with its plug-in ("a down 15,15 L"), counts its
// drawings (keeping the value it had then, and drawing with mPaint if set) and
// the polls of its dirty flag, and shows its menu on a press if it has one
// (logging whether an item was chosen). A drag moves its value like a vertical
// fader (one pixel up: +0.01) and pushes it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphics.h"
#include "IPlugBase.h"

class RecordingControl : public IControl
{
public:
  RecordingControl(IPlugBase* plug, IRECT r, int paramIdx = -1, const char* name = "c",
                   std::vector<std::string>* log = nullptr)
      : IControl(plug, r, paramIdx), mName(name), mLog(log)
  {
  }
  ~RecordingControl() override { Log("deleted"); }

  bool Draw(IGraphics* g) override
  {
    mDrawnValue = GetValue();
    ++mDraws;
    if (mPaint) mPaint(g);
    return true;
  }
  bool IsDirty() override { return ++mPolls, IControl::IsDirty(); }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("down " + std::to_string(x) + "," + std::to_string(y) + Mods(mod));
    if (mMenu)
    {
      mChosen = mPlug->GetGUI()->CreateIPopupMenu(mMenu, &mRECT);
      Log(mChosen ? "chosen" : "dismissed");
    }
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
    Log("dblclick" + Mods(mod));
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override
  {
    Log("wheel " + std::to_string(d));
    IControl::OnMouseWheel(x, y, mod, d);
  }
  bool OnKeyDown(int, int, int key) override
  {
    return Log("key " + std::to_string(key)), mTakesKeys;
  }
  void SetTextFromPlug(const char* text) override { Log(std::string("text ") + text); }
  void OnMouseOver(int x, int y, IMouseMod*) override
  {
    Log("over " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnMouseOut() override { Log("out"); }

  void Log(const std::string& what)
  {
    if (mLog) mLog->push_back(mName + " " + what);
  }
  static std::string Mods(const IMouseMod* m)
  {
    std::string s;
    for (auto [on, c] : {std::pair{m->L, 'L'}, {m->R, 'R'}, {m->S, 'S'}, {m->C, 'C'}, {m->A, 'A'}})
      if (on) s += c;
    return s.empty() ? s : " " + s;
  }

  std::string mName;
  std::vector<std::string>* mLog;
  bool mTakesKeys = false;
  int mDraws = 0, mPolls = 0;
  double mDrawnValue = -1.0;
  IPopupMenu *mMenu = nullptr, *mChosen = nullptr; // shown on a press, and what came back
  std::function<void(IGraphics*)> mPaint;
};
