// IGraphicsGtk: the editor surface on the Linux desktop, over GTK 3. The
// effect makes one with its plug-in, the editor's size and a frame rate and
// names the application with SetBundleID; the host opens it inside its main
// window with OpenWindow. It makes and closes the editor's view
// (IGraphicsGtkView), copies the back buffer to the screen, loads images from
// the application's resource folder, shows message boxes, file dialogs and
// web pages, answers folder queries, hides and restores the mouse cursor,
// registers tool-tip areas, and hands text entry and popup menus to the view.
// Everything runs on the main thread.
#pragma once

#include "IGraphics.h"

typedef struct _GtkWidget GtkWidget;
class IGraphicsGtkView;

class IGraphicsGtk : public IGraphics
{
public:
  IGraphicsGtk(IPlugBase* plug, int w, int h, int refreshFPS = 0);
  ~IGraphicsGtk() override;

  bool DrawScreen(IRECT* r) override;
  bool MeasureIText(IText* text, char* str, IRECT* r) override;
  void ForceEndUserEdit() override;
  // A new size rebuilds the surface (every control is deleted) and the view.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mGtkView != nullptr; }
  const char* GetGUIAPI() override { return "GTK GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                       IParam* param) override;
  // The running executable, and its folder with "/".
  void HostPath(WDL_String* path) override;
  void PluginPath(WDL_String* path) override;
  // The user's desktop folder and configuration folder (XDG), without "/".
  void DesktopPath(WDL_String* path) override;
  void AppSupportPath(WDL_String* path) override;
  // extensions: space-separated ("wav aif"); dir: the start folder, the
  // desktop folder when empty; afterwards the chosen file's folder with "/".
  void PromptForFile(WDL_String* file, EFileAction action = kFileActionOpen,
                     WDL_String* dir = nullptr, char* extensions = nullptr) override;
  // There is no colour chooser: false.
  bool PromptForColor(IColor* color, char* prompt = nullptr) override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
               const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) override;
  // parent: a window of the window layer (the view goes into its client
  // area), a GtkContainer, or null (a view in no parent).
  void* OpenWindow(void* parent) override { return OpenGtkWindow(parent); }
  using IGraphics::OpenWindow;
  // Opens the editor in an undecorated window of the editor's size over the
  // host's GtkWindow.
  void AttachSubWindow(void* hostWindowRef) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  // The open view (an IGraphicsGtkView), null while closed.
  void* GetWindow() override { return mGtkView; }
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override;

  // The application whose resources hold the editor's images.
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() { return mBundleID.Get(); }
  void* OpenGtkWindow(void* parent);
  // The kernel release packed as 0xMMmp (major in two decimal digits, minor
  // and patch one digit each, at most 9); 0 when unknown.
  int GetUserOSVersion();

  // "<resource folder>/<base name>.png" for a name ending in ".png" (any
  // case; folders in the name are ignored); null otherwise or on failure.
  static LICE_IBitmap* LoadImgFromResource(const char* bundleID, const char* name);

protected:
  IGraphicsGtkView* mGtkView = nullptr;
  WDL_String mBundleID;
  // AttachSubWindow: the host's window (referenced) and our window over it.
  GtkWidget* mHostWindow = nullptr;
  GtkWidget* mSubWindow = nullptr;
  unsigned mSubWindowRaise = 0; // pending raise of mSubWindow (GLib source)
};
