// What the GTK back end does beside the view's events: opening and closing
// the view, addresses opened through the desktop's handlers, message boxes
// and images from the resource folder.
#include <fstream>
#include <set>
#include <sstream>

#include "gtk_editor.h"
#include "lice_png_writer.h"

namespace
{
// A private desktop set up before GLib reads its folders: a handler for web
// addresses and text files (a script that writes the address it was given
// into a file), the default for both in the private mimeapps.list.
struct PrivateDesktop
{
  std::string dir;
  PrivateDesktop()
  {
    char tmpl[] = "/tmp/editor-desktop-XXXXXX";
    dir = mkdtemp(tmpl);
    for (const char* d : {"/data/applications", "/config", "/res"})
      g_mkdir_with_parents((dir + d).c_str(), 0700);
    std::ofstream(dir + "/opener.sh")
        << "#!/bin/sh\nprintf '%s\\n' \"$1\" >>" << dir << "/opened\n";
    chmod((dir + "/opener.sh").c_str(), 0700);
    std::ofstream(dir + "/data/applications/test-opener.desktop")
        << "[Desktop Entry]\nType=Application\nName=Opener\nExec=" << dir
        << "/opener.sh %u\nMimeType=x-scheme-handler/http;text/plain;\n";
    std::ofstream(dir + "/config/mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/http=test-opener.desktop\n"
           "text/plain=test-opener.desktop\n";
    std::ofstream(dir + "/notes.txt") << "text\n";
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    setenv("XDG_DATA_DIRS", "/usr/share", 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("PLENMORA_RESOURCES", (dir + "/res").c_str(), 1);
  }
  ~PrivateDesktop() { (void)system(("rm -rf " + dir).c_str()); }
} sDesktop;

std::string Opened()
{
  std::ifstream f(sDesktop.dir + "/opened");
  return std::string(std::istreambuf_iterator<char>(f), {});
}
} // namespace

using GtkBackend = GtkEditorTest;

TEST_F(GtkBackend, ClosingAndReopeningLeavesNoTimerAndNoViewBehind)
{
  auto* knob = new IKnobLineControl(plug, IRECT(10, 10, 70, 70), TestPlug::kGain, &COLOR_RED);
  knob->DisablePrompt(false);
  g->AttachControl(knob);
  Open();
  // Closed by the editor with a text field open, by opening it again, and
  // by the host window going (which the editor learns of).
  for (int round = 0; round < 3; ++round)
  {
    SCOPED_TRACE(round);
    IGraphicsGtkView* view = View();
    ASSERT_NE(nullptr, view);
    GtkWidget* area = view->DrawingArea();
    g_object_add_weak_pointer(G_OBJECT(area), (gpointer*)&area);
    const guint timer = view->TimerSourceId();
    const HWND child = view->Hwnd();
    ASSERT_NE(0u, timer);
    ASSERT_EQ(host, GetParent(child));
    if (round == 0)
    {
      knob->PromptUserInput();
      EXPECT_TRUE(view->TextEntryOpen());
      g->CloseWindow();
    }
    else if (round == 1)
    {
      ASSERT_NE(nullptr, g->OpenWindow(host));
    }
    else
      DestroyWindow(host);
    Drain();
    EXPECT_EQ(round == 1, g->WindowIsOpen());
    EXPECT_EQ(nullptr, area);
    EXPECT_EQ(nullptr, g_main_context_find_source_by_id(nullptr, timer));
    EXPECT_FALSE(IsWindow(child));
    if (round == 0)
    {
      ASSERT_NE(nullptr, g->OpenWindow(host));
    }
  }
}

TEST_F(GtkBackend, AddressesOpenWithTheDesktopsHandlerAndReportFailure)
{
  Open();
  EXPECT_TRUE(g->OpenURL("http://example.invalid/page?x=1"));
  const std::string file = sDesktop.dir + "/notes.txt";
  EXPECT_TRUE(g->OpenURL(file.c_str()));
  EXPECT_FALSE(g->OpenURL("httpx-none:nothing"));
  EXPECT_FALSE(g->OpenURL((sDesktop.dir + "/missing.nothing").c_str()));
  // The handler was given both (GIO hands it a local file as a path); the
  // two launches may finish in either order.
  std::multiset<std::string> got;
  ASSERT_TRUE(PumpUntil(
      [&]
      {
        std::istringstream lines(Opened());
        got.clear();
        for (std::string l; std::getline(lines, l);)
          got.insert(l.rfind("file://", 0) == 0 ? l.substr(7) : l);
        return got.size() >= 2;
      }));
  EXPECT_EQ((std::multiset<std::string>{"http://example.invalid/page?x=1", file}), got);
}

TEST_F(GtkBackend, MessageBoxesShowTheButtonsOfTheirTypeAndAnswerTheirCodes)
{
  Open();
  struct Case
  {
    int type, shownType, press, expected;
  } cases[] = {
      {0, MB_OK, IDOK, 1},          {1, MB_OKCANCEL, IDCANCEL, 2}, {3, MB_YESNOCANCEL, IDYES, 6},
      {3, MB_YESNOCANCEL, IDNO, 7}, {4, MB_YESNO, IDNO, 7},        {0x34, MB_OK, IDOK, 1},
      {4, MB_YESNO, 0, 0}, // closed without a button
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.press);
    int shownType = -1;
    When([] { return SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, nullptr); },
         [&]
         {
           SWELL_GetMessageBoxInfo(nullptr, 0, nullptr, 0, &shownType);
           if (c.press) SWELL_EndMessageBox(c.press);
           GList* windows = gtk_window_list_toplevels();
           for (GList* l = windows; l && !c.press; l = l->next)
             if (GTK_IS_MESSAGE_DIALOG(l->data)) gtk_window_close(GTK_WINDOW(l->data));
           g_list_free(windows);
         });
    EXPECT_EQ(c.expected, g->ShowMessageBox("Text", "Caption", c.type));
    EXPECT_EQ(c.shownType, shownType);
  }
}

TEST_F(GtkBackend, ImagesComeFromTheResourceFolderByBaseName)
{
  pngw::Image img;
  img.width = 3;
  img.height = 2;
  img.colorType = 2;
  img.samples.assign(18, 200);
  for (const char* name : {"knob.png", "png.png"})
    ASSERT_TRUE(pngw::WriteFile(sDesktop.dir + "/res/" + name, pngw::Encode(img)));
  struct Case
  {
    const char* name;
    bool loads;
  } cases[] = {{"knob.png", true}, {"resources/img/knob.PNG", true},
               {"png", true},      {"knob.jpg", false},
               {"knob", false},    {"other.png", false},
               {nullptr, false}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name ? c.name : "null");
    LICE_IBitmap* bm = g->OSLoadBitmap(0, c.name);
    EXPECT_EQ(c.loads ? 3 : 0, bm ? bm->getWidth() : 0);
    delete bm;
  }
}
