// A back end for editor tests without a window: it draws into the real back
// buffer, loads images from a folder, and records what the surface asks of
// the platform (screen copies, menus, text entries, addresses, file prompts)
// so tests can check it and script the user's answers.
#pragma once

#include <string>
#include <vector>

#include "IGraphics.h"
#include "IPopupMenu.h"

class TestGraphics : public IGraphics
{
public:
  TestGraphics(IPlugBase* plug, int w, int h, int fps = 0) : IGraphics(plug, w, h, fps) {}
  ~TestGraphics() override = default;

  // Images are loaded from this folder by their base name.
  std::string mImageDir;

  // Recorded calls.
  std::vector<IRECT> mScreenCopies;
  struct MenuShown
  {
    IPopupMenu* menu; // valid only while the caller keeps it
    IRECT area;
    std::vector<std::string> items; // the item texts as shown, "*" after a checked one
  };
  std::vector<MenuShown> mMenusShown;
  struct TextEntry
  {
    IControl* control;
    IRECT area;
    std::string text;
    IParam* param;
  };
  std::vector<TextEntry> mTextEntries;
  std::vector<std::string> mURLsOpened;
  std::vector<std::string> mMessageBoxes;
  int mFilePrompts = 0;
  int mEndUserEdits = 0;

  // Scripted answers: the item the "user" picks in the next menu (-1: none),
  // whether OpenURL succeeds, the file the next file prompt returns.
  int mNextMenuChoice = -1;
  bool mURLOpens = true;
  std::string mNextFile;
  int mMessageBoxAnswer = 1;

  bool DrawScreen(IRECT* r) override
  {
    mScreenCopies.push_back(*r);
    return true;
  }
  void ForceEndUserEdit() override { ++mEndUserEdits; }
  int ShowMessageBox(const char* text, const char*, int) override
  {
    mMessageBoxes.push_back(text ? text : "");
    return mMessageBoxAnswer;
  }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override
  {
    ReleaseMouseCapture();
    MenuShown shown{menu, *area, {}};
    for (int i = 0; i < menu->GetNItems(); ++i)
      shown.items.push_back(std::string(menu->GetItemText(i)) +
                            (menu->IsItemChecked(i) ? "*" : ""));
    mMenusShown.push_back(shown);
    if (mNextMenuChoice < 0 || mNextMenuChoice >= menu->GetNItems()) return nullptr;
    menu->SetChosenItemIdx(mNextMenuChoice);
    return menu;
  }
  void CreateTextEntry(IControl* control, IText*, IRECT* area, const char* str,
                       IParam* param) override
  {
    mTextEntries.push_back({control, *area, str ? str : "", param});
  }
  void HostPath(WDL_String* path) override { path->Set("/test/host"); }
  void PluginPath(WDL_String* path) override { path->Set("/test/"); }
  void DesktopPath(WDL_String* path) override { path->Set("/test/Desktop"); }
  void AppSupportPath(WDL_String* path) override { path->Set("/test/config"); }
  void PromptForFile(WDL_String* file, EFileAction, WDL_String*, char*) override
  {
    ++mFilePrompts;
    file->Set(mNextFile.c_str());
  }
  bool PromptForColor(IColor*, char*) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override
  {
    mURLsOpened.push_back(url ? url : "");
    return mURLOpens;
  }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  void UpdateTooltips() override {}
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  using IGraphics::OpenWindow;
};
