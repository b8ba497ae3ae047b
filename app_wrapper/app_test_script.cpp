// A test hook that drives the running application from a script.
//
// Only active when the environment variable PLENMORA_TEST_SCRIPT names a
// readable file; otherwise StartTestScriptIfRequested does nothing. The file
// holds one step per line (blank lines and lines starting with '#' are
// skipped), played back on a timer of the main loop, one step per tick:
//
//   wait MS            pause for MS milliseconds
//   waitfile PATH      hold until the file PATH exists (made by the test)
//   menu ID            an application-menu command (as the menu bar sends it)
//   select ID TEXT     choose the item TEXT in combo box ID of the open
//                      preferences dialog (or the main window), as a user does
//   selectindex ID N   choose item N (counted from 0) in combo box ID
//   click ID           click button or check box ID
//   dump               print every combo box and check box of the open dialog
//   state              print the current settings record
//   stream             print whether the audio stream is open and running
//   print TEXT         print TEXT
//   close              close the main window as its close button does
//   about              print the open message box's caption, type and text
//   menubar            print the main window's menu bar as it is shown:
//                      "menubar TITLE(ITEM|ITEM|...) TITLE(...)", the texts
//                      without mnemonic marks, a separator as "-"
//   endmessagebox      press OK in the open message box
//   backbuffer PATH    once the editor has drawn all of its controls, write
//                      its back buffer to PATH (binary PPM) and print
//                      "backbuffer PATH"
//   watch              from now on print "params preset=N V1 V2 V3 V4 V5"
//                      whenever the preset or a parameter value changes, and
//                      "popup ITEM|ITEM|..." when a popup menu opens (a
//                      checked item ends in " *")
//   meters             from now on print "meters T F1 F2 F3 F4" whenever the
//                      frame that a level meter shows in the drawn back
//                      buffer changes: T is the monotonic clock in
//                      microseconds when the view drew it, F the frame of the
//                      meter's strip (-1 when the meter shows none), input
//                      left and right, then output left and right
//
// With a script, the program also prints "first paint T" (T: the monotonic
// clock in microseconds) once the editor's view has drawn all of its
// controls for the first time.
//
// Output lines start with "script: " and go to standard output. Steps that
// open a modal dialog or message box keep the script running: each tick arms
// the next one on a fresh timer before it acts.
#include "app_test_script.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <glib.h>
#include <unistd.h>

#include "app_main.h"
#include "app_settings.h"
#include "app_audio.h"
#include "IPlugStandalone.h"
#include "IGraphics.h"
#include "IGraphicsGtkView.h"
#include "IParam.h"
#include "editor_layout.h"
#include "lice.h"
#include "swell-resources.h"
#include <gtk/gtk.h>

namespace
{
constexpr unsigned kStepInterval = 100;

std::vector<std::string> sSteps;
size_t sNextStep = 0;

void Out(const std::string& line)
{
  printf("script: %s\n", line.c_str());
  fflush(stdout);
}

HWND TargetDialog()
{
  HWND dlg = GetPreferencesDialog();
  return dlg ? dlg : gHWND;
}

std::string ComboText(HWND combo, int idx)
{
  char buf[1024] = "";
  SendMessage(combo, CB_GETLBTEXT, (WPARAM)idx, (LPARAM)buf);
  return buf;
}

void DumpDialog(HWND dlg)
{
  static const int kCombos[] = {IDC_PREF_DRIVER,       IDC_PREF_IN_DEVICE,    IDC_PREF_OUT_DEVICE,
                                IDC_PREF_IOVS,         IDC_PREF_SIGVS,        IDC_PREF_SAMPLE_RATE,
                                IDC_PREF_IN1,          IDC_PREF_IN2,          IDC_PREF_OUT1,
                                IDC_PREF_OUT2,         IDC_PREF_MIDI_IN,      IDC_PREF_MIDI_OUT,
                                IDC_PREF_MIDI_IN_CHAN, IDC_PREF_MIDI_OUT_CHAN};
  for (int id : kCombos)
  {
    HWND combo = GetDlgItem(dlg, id);
    if (!combo) continue;
    const int count = (int)SendMessage(combo, CB_GETCOUNT, 0, 0);
    std::ostringstream line;
    line << "combo " << id << " sel=" << (int)SendMessage(combo, CB_GETCURSEL, 0, 0) << " items=";
    for (int i = 0; i < count; ++i) line << (i ? "|" : "") << ComboText(combo, i);
    Out(line.str());
  }
  if (HWND mono = GetDlgItem(dlg, IDC_PREF_MONO))
    Out("check " + std::to_string(IDC_PREF_MONO) + " " +
        std::to_string((int)SendMessage(mono, BM_GETCHECK, 0, 0)));
}

void PrintState()
{
  if (!gState) return;
  const AppState& s = *gState;
  std::ostringstream line;
  line << "state driver=" << s.mAudioDriver << " indev=" << s.mAudioInDevice
       << " outdev=" << s.mAudioOutDevice << " sr=" << s.mAudioSampleRate
       << " iovs=" << s.mAudioIOVS << " sigvs=" << s.mAudioSigVS << " in1=" << s.mAudioIn1
       << " in2=" << s.mAudioIn2 << " out1=" << s.mAudioOut1 << " out2=" << s.mAudioOut2
       << " mono=" << s.mAudioMonoInput << " midiin=" << s.mMidiInDevice
       << " midiout=" << s.mMidiOutDevice << " inchan=" << s.mMidiInChannel
       << " outchan=" << s.mMidiOutChannel;
  Out(line.str());
}

void SelectItem(int id, int idx)
{
  HWND combo = GetDlgItem(TargetDialog(), id);
  if (!combo)
  {
    Out("no control " + std::to_string(id));
    return;
  }
  SWELL_SimulateUserSelect(combo, idx);
}

// ---- The editor ----

// Whether the editor is on screen and has drawn every control.
bool EditorDrawn(IGraphics* gui)
{
  IRECT dirty;
  return gui && gui->WindowIsOpen() && gui->GetDrawBitmap() && !gui->IsDirty(&dirty);
}

bool WritePPM(const std::string& path, LICE_IBitmap* bm)
{
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const int w = bm->getWidth(), h = bm->getHeight();
  fprintf(f, "P6\n%d %d\n255\n", w, h);
  std::vector<unsigned char> row((size_t)w * 3);
  for (int y = 0; y < h; ++y)
  {
    for (int x = 0; x < w; ++x)
    {
      const LICE_Pixel p = LICE_GetPixel(bm, x, y);
      row[x * 3] = (unsigned char)LICE_GETR(p);
      row[x * 3 + 1] = (unsigned char)LICE_GETG(p);
      row[x * 3 + 2] = (unsigned char)LICE_GETB(p);
    }
    fwrite(row.data(), 1, row.size(), f);
  }
  return fclose(f) == 0;
}

// Polls until the editor has drawn, then writes its back buffer (10 s at most).
void WriteBackBufferWhenDrawn(const std::string& path)
{
  struct Request
  {
    std::string path;
    int triesLeft = 500;
  };
  g_timeout_add(
      20,
      [](gpointer p) -> gboolean
      {
        Request* r = (Request*)p;
        IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr;
        if (!EditorDrawn(gui) && --r->triesLeft > 0) return G_SOURCE_CONTINUE;
        if (!EditorDrawn(gui))
          Out("backbuffer not drawn");
        else if (!WritePPM(r->path, (LICE_IBitmap*)gui->GetDrawBitmap()))
          Out("backbuffer cannot write " + r->path);
        else
          Out("backbuffer " + r->path);
        delete r;
        return G_SOURCE_REMOVE;
      },
      new Request{path});
}

gulong sFirstPaintHandler = 0;
bool sFirstPaintSeen = false;

gboolean OnViewDrawn(GtkWidget* widget, cairo_t*, gpointer)
{
  if (EditorDrawn(gPluginInstance->GetGUI()))
  {
    Out("first paint " + std::to_string(g_get_monotonic_time()));
    sFirstPaintSeen = true;
    g_signal_handler_disconnect(widget, sFirstPaintHandler);
  }
  return FALSE;
}

// Reports the first paint after the view's widget has drawn its drawing area.
void ReportFirstPaint()
{
  IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr;
  IGraphicsGtkView* view = gui ? (IGraphicsGtkView*)gui->GetWindow() : nullptr;
  if (view)
    sFirstPaintHandler =
        g_signal_connect_after(view->Widget(), "draw", G_CALLBACK(OnViewDrawn), nullptr);
}

std::string ParamsLine()
{
  std::ostringstream line;
  line << "params preset=" << gPluginInstance->GetCurrentPresetIdx();
  char value[64];
  for (int i = 0; i < gPluginInstance->NParams(); ++i)
  {
    snprintf(value, sizeof(value), " %.1f", gPluginInstance->GetParam(i)->Value());
    line << value;
  }
  return line.str();
}

// The items of the open popup menu, "" when none is open.
std::string PopupLine()
{
  std::string line;
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w && line.empty(); w = w->next)
  {
    GtkWidget* menu = GTK_IS_BIN(w->data) ? gtk_bin_get_child(GTK_BIN(w->data)) : nullptr;
    if (!menu || !GTK_IS_MENU(menu) || !gtk_widget_get_mapped(menu)) continue;
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* i = items; i; i = i->next)
    {
      const char* label =
          GTK_IS_MENU_ITEM(i->data) ? gtk_menu_item_get_label(GTK_MENU_ITEM(i->data)) : nullptr;
      const bool checked = GTK_IS_CHECK_MENU_ITEM(i->data) &&
                           gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(i->data));
      line +=
          std::string(line.empty() ? "popup " : "|") + (label ? label : "") + (checked ? " *" : "");
    }
    g_list_free(items);
  }
  g_list_free(windows);
  return line;
}

GtkWidget* FindMenuBar(GtkWidget* widget)
{
  if (GTK_IS_MENU_BAR(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* c = children; c && !found; c = c->next) found = FindMenuBar(GTK_WIDGET(c->data));
  g_list_free(children);
  return found;
}

// The shown items of a menu shell: their texts as shown, each followed by its
// submenu's items in parentheses; separators as "-".
std::string MenuItems(GtkWidget* shell, const char* separator)
{
  std::string line;
  GList* items = gtk_container_get_children(GTK_CONTAINER(shell));
  for (GList* i = items; i; i = i->next)
  {
    GtkWidget* item = GTK_WIDGET(i->data);
    if (!gtk_widget_get_visible(item)) continue;
    if (!line.empty()) line += separator;
    if (GTK_IS_SEPARATOR_MENU_ITEM(item))
    {
      line += "-";
      continue;
    }
    GtkWidget* label = GTK_IS_BIN(item) ? gtk_bin_get_child(GTK_BIN(item)) : nullptr;
    line += label && GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
    GtkWidget* sub =
        GTK_IS_MENU_ITEM(item) ? gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) : nullptr;
    if (sub) line += "(" + MenuItems(sub, "|") + ")";
  }
  g_list_free(items);
  return line;
}

std::string MenuBarLine()
{
  GtkWidget* window = gHWND ? SWELL_GetWidget(gHWND) : nullptr;
  GtkWidget* bar = window ? FindMenuBar(window) : nullptr;
  if (!bar || !gtk_widget_get_visible(bar)) return "menubar none";
  return "menubar " + MenuItems(bar, " ");
}

void Watch()
{
  static std::string sParams, sPopup;
  g_timeout_add(
      20,
      [](gpointer) -> gboolean
      {
        if (!gPluginInstance) return G_SOURCE_REMOVE;
        const std::string params = ParamsLine(), popup = PopupLine();
        if (params != sParams) Out(params);
        if (!popup.empty() && popup != sPopup) Out(popup);
        sParams = params;
        sPopup = popup;
        return G_SOURCE_CONTINUE;
      },
      nullptr);
}

// ---- The meters ----

struct MeterWatch
{
  std::unique_ptr<LICE_IBitmap> strip;
  std::array<int, 4> shown = {-2, -2, -2, -2};
};

// Prints what the meters show in the back buffer when that changed.
void ReportMeters(MeterWatch* watch)
{
  IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr;
  if (!sFirstPaintSeen || !gui || !gui->GetDrawBitmap()) return;
  std::array<int, 4> frames;
  MeterFramesShown((LICE_IBitmap*)gui->GetDrawBitmap(), watch->strip.get(), watch->shown.data(),
                   frames.data());
  if (frames == watch->shown) return;
  watch->shown = frames;
  std::ostringstream line;
  line << "meters " << g_get_monotonic_time();
  for (int f : frames) line << " " << f;
  Out(line.str());
}

gboolean OnMetersDrawn(GtkWidget*, cairo_t*, gpointer watch)
{
  ReportMeters((MeterWatch*)watch);
  return FALSE;
}

// Prints what the meters show now, when the editor has drawn, and after each
// drawing of its view.
void WatchMeters()
{
  IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr;
  IGraphicsGtkView* view = gui ? (IGraphicsGtkView*)gui->GetWindow() : nullptr;
  auto watch = std::make_unique<MeterWatch>();
  watch->strip.reset(LICE_LoadPNG(
      (std::string(SWELL_GetResourcePath()) + "/" + editor_layout::kMeterImage).c_str()));
  if (!view || !watch->strip)
  {
    Out("meters none");
    return;
  }
  ReportMeters(watch.get());
  g_signal_connect_data(
      view->Widget(), "draw", G_CALLBACK(OnMetersDrawn), watch.release(),
      [](gpointer p, GClosure*) { delete (MeterWatch*)p; }, G_CONNECT_AFTER);
}

void RunStep(const std::string& step)
{
  FinishStartup();
  std::istringstream in(step);
  std::string verb;
  in >> verb;
  if (verb == "menu")
  {
    int id = 0;
    in >> id;
    SWELLAppMain(SWELLAPP_SYSMENUCOMMAND, id, 0);
  }
  else if (verb == "select")
  {
    int id = 0;
    in >> id;
    std::string text;
    std::getline(in >> std::ws, text);
    HWND combo = GetDlgItem(TargetDialog(), id);
    const int idx =
        combo ? (int)SendMessage(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text.c_str()) : -1;
    if (idx < 0)
      Out("no item '" + text + "' in " + std::to_string(id));
    else
      SelectItem(id, idx);
  }
  else if (verb == "selectindex")
  {
    int id = 0, idx = 0;
    in >> id >> idx;
    SelectItem(id, idx);
  }
  else if (verb == "click")
  {
    int id = 0;
    in >> id;
    HWND button = GetDlgItem(TargetDialog(), id);
    if (button)
      SWELL_SimulateUserClick(button);
    else
      Out("no control " + std::to_string(id));
  }
  else if (verb == "dump")
  {
    DumpDialog(TargetDialog());
  }
  else if (verb == "state")
  {
    PrintState();
  }
  else if (verb == "stream")
  {
    const bool open = gDAC && gDAC->isStreamOpen();
    const bool running = open && gDAC->isStreamRunning();
    Out(std::string("stream open=") + (open ? "1" : "0") + " running=" + (running ? "1" : "0"));
  }
  else if (verb == "print")
  {
    std::string text;
    std::getline(in >> std::ws, text);
    Out(text);
  }
  else if (verb == "close")
  {
    // Ctrl+W takes the close button's way: WM_CLOSE to the window.
    if (gHWND) SWELL_SimulateKeyPress(gHWND, 'W', FCONTROL);
  }
  else if (verb == "about")
  {
    // The open message box: its caption and text (line breaks as "\n").
    char text[1024] = "", caption[256] = "";
    int type = -1;
    if (SWELL_GetMessageBoxInfo(text, sizeof(text), caption, sizeof(caption), &type))
    {
      std::string shown = text;
      for (size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at))
        shown.replace(at, 1, "\\n");
      Out("messagebox caption=" + std::string(caption) + " type=" + std::to_string(type) +
          " text=" + shown);
    }
    else
    {
      Out("messagebox none");
    }
  }
  else if (verb == "menubar")
  {
    Out(MenuBarLine());
  }
  else if (verb == "endmessagebox")
  {
    SWELL_EndMessageBox(IDOK);
  }
  else if (verb == "backbuffer")
  {
    std::string path;
    in >> path;
    WriteBackBufferWhenDrawn(path);
  }
  else if (verb == "watch")
  {
    Watch();
  }
  else if (verb == "meters")
  {
    WatchMeters();
  }
  else
  {
    Out("unknown step: " + step);
  }
}

gboolean OnTick(gpointer)
{
  if (sNextStep >= sSteps.size() || !gHWND) return G_SOURCE_REMOVE;
  const std::string& waiting = sSteps[sNextStep];
  if (waiting.compare(0, 9, "waitfile ") == 0)
  {
    if (access(waiting.c_str() + 9, F_OK) != 0)
    {
      g_timeout_add(20, OnTick, nullptr);
      return G_SOURCE_REMOVE;
    }
    ++sNextStep;
    g_timeout_add(0, OnTick, nullptr);
    return G_SOURCE_REMOVE;
  }
  const std::string step = sSteps[sNextStep++];
  // Arm the next tick (a timer source of its own) before acting: the step may
  // run a modal loop, inside which the next steps then run.
  unsigned delay = kStepInterval;
  if (step.compare(0, 5, "wait ") == 0) delay = (unsigned)atoi(step.c_str() + 5);
  if (sNextStep < sSteps.size()) g_timeout_add(delay, OnTick, nullptr);
  if (step.compare(0, 5, "wait ") != 0) RunStep(step);
  return G_SOURCE_REMOVE;
}
} // namespace

void MeterFramesShown(LICE_IBitmap* picture, LICE_IBitmap* strip, const int hint[4], int frames[4])
{
  for (int m = 0; m < 4; ++m)
  {
    const editor_layout::Rect& r = editor_layout::kMeters[m];
    auto shows = [&](int f)
    {
      for (int y = r.T; y < r.B; ++y)
        for (int x = r.L; x < r.R; ++x)
          if ((LICE_GetPixel(picture, x, y) ^ LICE_GetPixel(strip, x - r.L, f * r.H() + y - r.T)) &
              0xffffff00)
            return false;
      return true;
    };
    // Outward from the hint, where a level that moved a little is found at
    // once.
    const int last = std::max(hint[m], 0);
    frames[m] = -1;
    for (int d = 0; d < editor_layout::kMeterFrames && frames[m] < 0; ++d)
      for (int f : {last + d, last - d - 1})
        if (frames[m] < 0 && f >= 0 && f < editor_layout::kMeterFrames && shows(f)) frames[m] = f;
  }
}

void StartTestScriptIfRequested()
{
  const char* path = getenv("PLENMORA_TEST_SCRIPT");
  if (!path || !*path || !gHWND) return;
  std::ifstream file(path);
  if (!file)
  {
    Out(std::string("cannot read ") + path);
    return;
  }
  std::string line;
  while (std::getline(file, line))
  {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    const size_t last = line.find_last_not_of(" \t\r");
    sSteps.push_back(line.substr(first, last - first + 1));
  }
  ReportFirstPaint();
  if (!sSteps.empty()) g_timeout_add(kStepInterval, OnTick, nullptr);
}
