// The editor surface over GTK 3: the view's lifetime, the screen copy,
// dialogs, folders, addresses, images, the cursor and the child window.
#include "IGraphicsGtk.h"

#include <gtk/gtk.h>
#include <strings.h>
#include <sys/utsname.h>

#include <algorithm>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphicsGtkView.h"
#include "Log.h"
#include "lice.h"
#include "swell-miscdlg.h"
#include "swell-wnd.h"

IGraphicsGtk::IGraphicsGtk(IPlugBase* plug, int w, int h, int refreshFPS)
    : IGraphics(plug, w, h, refreshFPS)
{
}

namespace
{
// Forgets the child window of AttachSubWindow and the host window's
// reference.
void DropSubWindow(GtkWidget** host, GtkWidget** sub, unsigned* raise)
{
  if (*raise) g_source_remove(*raise);
  *raise = 0;
  if (*sub)
  {
    gtk_widget_destroy(*sub);
    g_object_unref(*sub);
    *sub = nullptr;
  }
  if (*host)
  {
    g_object_unref(*host);
    *host = nullptr;
  }
}
} // namespace

IGraphicsGtk::~IGraphicsGtk()
{
  IGraphicsGtk::CloseWindow();
  DropSubWindow(&mHostWindow, &mSubWindow, &mSubWindowRaise);
}

// ---- View ----

void* IGraphicsGtk::OpenGtkWindow(void* parent)
{
  CloseWindow();
  if (!SWELL_EnsureGtk()) return nullptr;
  IGraphicsGtkView* v = new IGraphicsGtkView(this);
  mGtkView = v;
  if (parent)
  {
    if (IsWindow((HWND)parent))
      v->mHwnd = SWELL_AddChildView((HWND)parent, v->Widget(), 0, 0);
    else
      gtk_container_add(GTK_CONTAINER(parent), v->Widget());
  }
  gtk_widget_show(v->Widget());
  UpdateTooltips();
  return v;
}

void IGraphicsGtk::CloseWindow()
{
  IGraphicsGtkView* v = mGtkView;
  if (!v) return;
  v->RemoveAllToolTips();
  v->KillTimer();
  mGtkView = nullptr;
  if (v->mGraphics == this)
  {
    v->mGraphics = nullptr;
    v->RemoveFromParent();
  }
}

void IGraphicsGtk::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mGtkView) mGtkView->SetSize(w, h);
}

// ---- Screen copy ----

namespace
{
// Our pixel is the bytes A, R, G, B; cairo's RGB24 word is 0xXXRRGGBB in
// native order: one byte swap apart.
void SwapRow(const LICE_Pixel* src, uint32_t* dst, int n)
{
  for (int x = 0; x < n; ++x) dst[x] = __builtin_bswap32(src[x]);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void SwapRowAvx2(const LICE_Pixel* src, uint32_t* dst, int n)
{
  const __m256i order = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2,
                                         1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  int x = 0;
  for (; x + 8 <= n; x += 8)
    _mm256_storeu_si256((__m256i*)(dst + x),
                        _mm256_shuffle_epi8(_mm256_loadu_si256((const __m256i*)(src + x)), order));
  SwapRow(src + x, dst + x, n - x);
}

bool HasAvx2()
{
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}
#endif
} // namespace

bool IGraphicsGtk::DrawScreen(IRECT*)
{
  if (!mGtkView) return false;
  cairo_t* cr = mGtkView->CurrentCairo();
  if (!cr || !mDrawBitmap || !mDrawBitmap->getBits()) return false;
  const int w = std::min(Width(), mDrawBitmap->getWidth());
  const int h = std::min(Height(), mDrawBitmap->getHeight());
  cairo_surface_t* screen = mGtkView->ScreenSurface(w, h);
  GdkRectangle extents;
  if (!screen || !gdk_cairo_get_clip_rectangle(cr, &extents)) return false;

  // The paint's area may be several rectangles (areas invalidated apart):
  // only those are copied.
  std::vector<GdkRectangle> parts;
  cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
  if (list->status == CAIRO_STATUS_SUCCESS)
    for (int i = 0; i < list->num_rectangles; ++i)
    {
      const cairo_rectangle_t& c = list->rectangles[i];
      const int x = (int)std::floor(c.x), y = (int)std::floor(c.y);
      parts.push_back(
          {x, y, (int)std::ceil(c.x + c.width) - x, (int)std::ceil(c.y + c.height) - y});
    }
  else
    parts.push_back(extents);
  cairo_rectangle_list_destroy(list);

  cairo_surface_flush(screen);
  unsigned char* data = cairo_image_surface_get_data(screen);
  const int stride = cairo_image_surface_get_stride(screen);
  const LICE_Pixel* bits = mDrawBitmap->getBits();
  const int span = mDrawBitmap->getRowSpan();
  const bool flipped = mDrawBitmap->isFlipped();
  const int bh = mDrawBitmap->getHeight();
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (const GdkRectangle& part : parts)
  {
    const int x0 = std::max(part.x, 0), y0 = std::max(part.y, 0);
    const int x1 = std::min(part.x + part.width, w), y1 = std::min(part.y + part.height, h);
    if (x1 <= x0 || y1 <= y0) continue;
    for (int y = y0; y < y1; ++y)
    {
      const LICE_Pixel* src = bits + (size_t)(flipped ? bh - 1 - y : y) * span;
      uint32_t* dst = (uint32_t*)(data + (size_t)y * stride);
#if defined(__x86_64__)
      if (HasAvx2())
      {
        SwapRowAvx2(src + x0, dst + x0, x1 - x0);
        continue;
      }
#endif
      SwapRow(src + x0, dst + x0, x1 - x0);
    }
    cairo_surface_mark_dirty_rectangle(screen, x0, y0, x1 - x0, y1 - y0);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
  }
  cairo_set_source_surface(cr, screen, 0, 0);
  cairo_fill(cr);
  cairo_restore(cr);
  return true;
}

bool IGraphicsGtk::MeasureIText(IText* text, char* str, IRECT* r)
{
  return DrawIText(text, str, r, true);
}

// ---- Prompts ----

void IGraphicsGtk::ForceEndUserEdit()
{
  if (mGtkView) mGtkView->EndUserInput();
}

IPopupMenu* IGraphicsGtk::CreateIPopupMenu(IPopupMenu* menu, IRECT* area)
{
  ReleaseMouseCapture();
  if (!mGtkView || !area) return nullptr;
  return mGtkView->CreateIPopupMenu(menu, ToGdkRect(this, area));
}

void IGraphicsGtk::CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                                   IParam* param)
{
  if (!mGtkView || !area) return;
  mGtkView->CreateTextEntry(control, param, text, str, ToGdkRect(this, area));
}

int IGraphicsGtk::ShowMessageBox(const char* text, const char* caption, int type)
{
  // OK/Cancel (1), Yes/No/Cancel (3) and Yes/No (4); any other type shows OK.
  const int buttons = type == 1 || type == 3 || type == 4 ? type : 0;
  return SWELL_MessageBoxOrClosed(mGtkView ? mGtkView->Hwnd() : nullptr, text, caption, buttons, 0);
}

namespace
{
// "*.[wW][aA][vV]": a file pattern for an extension in any letter case.
std::string AnyCasePattern(const std::string& ext)
{
  std::string p = "*.";
  for (char c : ext)
  {
    const char lo = (char)g_ascii_tolower(c), up = (char)g_ascii_toupper(c);
    if (lo == up)
      p += c;
    else
      p += std::string("[") + lo + up + "]";
  }
  return p;
}
} // namespace

void IGraphicsGtk::PromptForFile(WDL_String* file, EFileAction action, WDL_String* dir,
                                 char* extensions)
{
  if (!file) return;
  if (!WindowIsOpen())
  {
    file->Set("");
    return;
  }
  const std::string startName = file->Get();
  std::string startDir = dir ? dir->Get() : "";
  if (startDir.empty())
  {
    WDL_String desktop;
    DesktopPath(&desktop);
    startDir = desktop.Get();
    if (dir) dir->Set(startDir.c_str());
  }
  file->Set("");

  std::vector<std::string> types;
  for (const char* p = extensions; p && *p;)
  {
    const char* e = strchr(p, ' ');
    const size_t n = e ? (size_t)(e - p) : strlen(p);
    if (n) types.emplace_back(p, n);
    p += n + (e ? 1 : 0);
  }

  const bool save = action == kFileActionSave;
  GtkWidget* top = gtk_widget_get_toplevel(mGtkView->Widget());
  GtkWidget* dlg = gtk_file_chooser_dialog_new(
      save ? "Save" : "Open", GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr,
      save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dlg);
  gtk_dialog_set_default_response(GTK_DIALOG(dlg), GTK_RESPONSE_ACCEPT);
  if (!types.empty())
  {
    GtkFileFilter* filter = gtk_file_filter_new();
    std::string name;
    for (const std::string& t : types)
    {
      gtk_file_filter_add_pattern(filter, AnyCasePattern(t).c_str());
      name += (name.empty() ? "*." : ", *.") + t;
    }
    gtk_file_filter_set_name(filter, name.c_str());
    gtk_file_chooser_add_filter(chooser, filter);
  }
  gtk_file_chooser_set_current_folder(chooser, startDir.c_str());
  if (save)
  {
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    if (!startName.empty()) gtk_file_chooser_set_current_name(chooser, startName.c_str());
  }
  else if (!startName.empty())
  {
    const std::string path = startName[0] == '/' ? startName : startDir + "/" + startName;
    if (g_file_test(path.c_str(), G_FILE_TEST_EXISTS))
      gtk_file_chooser_set_filename(chooser, path.c_str());
  }

  if (gtk_dialog_run(GTK_DIALOG(dlg)) == GTK_RESPONSE_ACCEPT)
  {
    if (char* path = gtk_file_chooser_get_filename(chooser))
    {
      file->Set(path);
      char* folder = g_path_get_dirname(path);
      if (dir && folder && *folder)
      {
        dir->Set(folder);
        if (strcmp(folder, "/")) dir->Append("/");
      }
      g_free(folder);
      g_free(path);
    }
  }
  gtk_widget_destroy(dlg);
}

bool IGraphicsGtk::PromptForColor(IColor*, char*) { return false; }

bool IGraphicsGtk::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !*url) return false;
  std::string uri;
  if (strstr(url, "http"))
  {
    uri = url;
  }
  else
  {
    GFile* f = g_file_new_for_path(url);
    char* u = g_file_get_uri(f);
    uri = u ? u : "";
    g_free(u);
    g_object_unref(f);
  }
  GError* err = nullptr;
  const gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &err);
  if (err) g_error_free(err);
  return ok;
}

// ---- Folders ----

void IGraphicsGtk::HostPath(WDL_String* path)
{
  if (char* exe = g_file_read_link("/proc/self/exe", nullptr))
  {
    path->Set(exe);
    g_free(exe);
  }
}

void IGraphicsGtk::PluginPath(WDL_String* path)
{
  if (char* exe = g_file_read_link("/proc/self/exe", nullptr))
  {
    char* folder = g_path_get_dirname(exe);
    path->Set(folder);
    if (strcmp(folder, "/")) path->Append("/");
    g_free(folder);
    g_free(exe);
  }
}

namespace
{
void SetFolder(WDL_String* path, const char* folder)
{
  std::string s = folder ? folder : "";
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  path->Set(s.c_str());
}
} // namespace

void IGraphicsGtk::DesktopPath(WDL_String* path)
{
  const char* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
  if (desktop)
    SetFolder(path, desktop);
  else
    SetFolder(path, (std::string(g_get_home_dir()) + "/Desktop").c_str());
}

void IGraphicsGtk::AppSupportPath(WDL_String* path) { SetFolder(path, g_get_user_config_dir()); }

// ---- Images ----

LICE_IBitmap* IGraphicsGtk::LoadImgFromResource(const char*, const char* name)
{
  if (!name) return nullptr;
  const char* dot = strrchr(name, '.');
  if (strcasecmp(dot ? dot + 1 : name, "png")) return nullptr;
  const char* slash = strrchr(name, '/');
  const char* last = slash ? slash + 1 : name;
  const std::string base = dot && dot > last ? std::string(last, (size_t)(dot - last)) : last;
  if (base.empty() || (dot && dot < last)) return nullptr;
  return LICE_LoadPNGFromNamedResource((base + ".png").c_str());
}

LICE_IBitmap* IGraphicsGtk::OSLoadBitmap(int, const char* name)
{
  return LoadImgFromResource(GetBundleID(), name);
}

// ---- Cursor ----

namespace
{
GdkDevice* Pointer()
{
  GdkDisplay* d = gdk_display_get_default();
  GdkSeat* seat = d ? gdk_display_get_default_seat(d) : nullptr;
  return seat ? gdk_seat_get_pointer(seat) : nullptr;
}
} // namespace

// While hidden, the place to restore is kept: hiding again records nothing.
// A hide that fails (no view yet) still records where the pointer is.
void IGraphicsGtk::HideMouseCursor()
{
  if (mCursorHidden) return;
  if (mGtkView)
  {
    if (GdkWindow* gw = gtk_widget_get_window(mGtkView->DrawingArea()))
    {
      GdkCursor* blank = gdk_cursor_new_for_display(gdk_window_get_display(gw), GDK_BLANK_CURSOR);
      gdk_window_set_cursor(gw, blank);
      g_object_unref(blank);
      mCursorHidden = true;
    }
  }
  if (GdkDevice* p = Pointer())
    gdk_device_get_position(p, nullptr, &mHiddenCursorX, &mHiddenCursorY);
}

void IGraphicsGtk::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  GdkDevice* p = Pointer();
  if (p)
    gdk_device_warp(p, gdk_display_get_default_screen(gdk_device_get_display(p)), mHiddenCursorX,
                    mHiddenCursorY);
  if (mGtkView)
    if (GdkWindow* gw = gtk_widget_get_window(mGtkView->DrawingArea()))
      gdk_window_set_cursor(gw, nullptr);
  mCursorHidden = false;
}

// ---- Tool tips ----

void IGraphicsGtk::UpdateTooltips()
{
  if (!mGtkView || !TooltipsEnabled()) return;
  mGtkView->RemoveAllToolTips();
  for (int i = 0; i < NControls(); ++i)
  {
    IControl* c = GetControl(i);
    if (c->GetTooltip() && !c->IsHidden() && !c->GetTargetRECT()->Empty())
      mGtkView->RegisterToolTip(c->GetTargetRECT());
  }
}

// ---- Child window over a host window ----

void IGraphicsGtk::AttachSubWindow(void* hostWindowRef)
{
  GtkWidget* host = (GtkWidget*)hostWindowRef;
  if (!host || !GTK_IS_WINDOW(host)) return;
  g_object_ref(host);
  DropSubWindow(&mHostWindow, &mSubWindow, &mSubWindowRaise);

  int hx = 0, hy = 0, hw = 0, hh = 0;
  gtk_window_get_position(GTK_WINDOW(host), &hx, &hy);
  gtk_window_get_size(GTK_WINDOW(host), &hw, &hh);
  const int xOffset = hw > Width() ? (int)std::floor((hw - Width()) / 2.0) : 0;

  // Undecorated, over the host, its bottom edge on the host's.
  GtkWidget* child = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref(child);
  gtk_window_set_decorated(GTK_WINDOW(child), FALSE);
  gtk_window_set_resizable(GTK_WINDOW(child), FALSE);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(child), TRUE);
  gtk_window_set_transient_for(GTK_WINDOW(child), GTK_WINDOW(host));
  gtk_window_set_default_size(GTK_WINDOW(child), Width(), Height());
  gtk_window_move(GTK_WINDOW(child), hx + xOffset, hy + hh - Height());
  OpenGtkWindow(child);
  gtk_widget_show(child);
  gtk_window_present(GTK_WINDOW(host));
  gtk_widget_queue_draw(host);
  mSubWindowRaise = g_timeout_add(
      50,
      [](gpointer p) -> gboolean
      {
        IGraphicsGtk* g = (IGraphicsGtk*)p;
        g->mSubWindowRaise = 0;
        if (g->mSubWindow) gtk_window_present(GTK_WINDOW(g->mSubWindow));
        return G_SOURCE_REMOVE;
      },
      this);
  mHostWindow = host;
  mSubWindow = child;
}

void IGraphicsGtk::RemoveSubWindow()
{
  if (!mHostWindow) return;
  CloseWindow();
  if (mSubWindow) gtk_widget_hide(mSubWindow);
  gtk_widget_hide(mHostWindow);
  DropSubWindow(&mHostWindow, &mSubWindow, &mSubWindowRaise);
}

// ---- System ----

int IGraphicsGtk::GetUserOSVersion()
{
  struct utsname u;
  int major = 0, minor = 0, patch = 0;
  if (uname(&u) != 0 || sscanf(u.release, "%d.%d.%d", &major, &minor, &patch) < 2 || major < 0 ||
      minor < 0 || patch < 0)
    return 0;
  major = std::min(major, 99);
  const int v =
      ((major / 10) << 12) | ((major % 10) << 8) | (std::min(minor, 9) << 4) | std::min(patch, 9);
  Trace(__FUNCTION__, __LINE__, "%x", v);
  return v;
}
