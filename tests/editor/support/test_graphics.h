// A back end for editor tests without a window: it draws into the real back
// buffer, loads images from a folder, and records what the surface asks of
// the platform (screen copies, menus, text entries, addresses, file dialogs)
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

  // Images are loaded from this folder by their base name.
  std::string mImageDir;

  // Recorded calls.
  std::vector<IRECT> mScreenCopies;
  struct Prompt
  {
    IRECT area;
    std::vector<std::string> texts; // menu items ("*" after a checked one), or the entry's text
  };
  std::vector<Prompt> mMenusShown, mTextEntries;
  std::vector<std::string> mURLsOpened;
  // File dialogs: "open" or "save", the start file, folder and extensions.
  std::vector<std::string> mFileDialogs;

  // Scripted answers: the item the "user" picks in the next menu (-1: none),
  // whether OpenURL succeeds, the file picked in the next file dialog.
  int mNextMenuChoice = -1;
  bool mURLOpens = true;
  std::string mNextFile;

  bool DrawScreen(IRECT* r) override
  {
    mScreenCopies.push_back(*r);
    return true;
  }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override
  {
    ReleaseMouseCapture();
    mMenusShown.push_back({*area, {}});
    for (int i = 0; i < menu->GetNItems(); ++i)
      mMenusShown.back().texts.push_back(std::string(menu->GetItemText(i)) +
                                         (menu->IsItemChecked(i) ? "*" : ""));
    if (mNextMenuChoice < 0 || mNextMenuChoice >= menu->GetNItems()) return nullptr;
    menu->SetChosenItemIdx(mNextMenuChoice);
    return menu;
  }
  void CreateTextEntry(IControl*, IText*, IRECT* area, const char* str, IParam*) override
  {
    mTextEntries.push_back({*area, {str ? str : ""}});
  }
  bool OpenURL(const char* url, const char*, const char*, const char*) override
  {
    mURLsOpened.push_back(url ? url : "");
    return mURLOpens;
  }
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  void PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir, char* ext) override
  {
    mFileDialogs.push_back(std::string(action == kFileActionSave ? "save " : "open ") +
                           file->Get() + " " + (dir ? dir->Get() : "") + " " + (ext ? ext : ""));
    file->Set(mNextFile.c_str());
  }

  // Nothing to do without a window.
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  void HostPath(WDL_String*) override {}
  void PluginPath(WDL_String*) override {}
  void DesktopPath(WDL_String*) override {}
  void AppSupportPath(WDL_String*) override {}
  bool PromptForColor(IColor*, char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  void UpdateTooltips() override {}
  using IGraphics::OpenWindow;
};
