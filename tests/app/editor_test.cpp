// The real program's main window on the X server, with audio through the
// JACK server: what the effect's editor shows, checked against the back
// buffer and the pictures, and what a user does there and in the menus with
// the mouse and keyboard (xdotool), heard in what comes out of the reverb.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "app_runner.h"
#include "app_test_script.h"
#include "editor_layout.h"
#include "jack_support.h"
#include "lice.h"
#include "x_client.h"

namespace
{
using namespace editor_layout;
using Image = std::unique_ptr<LICE_IBitmap>;
constexpr int kRate = 44100;
// The meters fall 20 dB a second over their 60 dB.
constexpr double kReleaseFramesPerSecond = (kMeterFrames - 1) * 20.0 / 60.0;
const std::string kPictures = std::filesystem::path(PLENMORA_EXE).parent_path() / "resources";

Image Load(const std::string& path) { return Image(LICE_LoadPNG(path.c_str())); }

// The ids of the visible windows of that title.
std::vector<std::string> Windows(const std::string& title)
{
  std::istringstream ids(RunXClient("xdotool search --onlyvisible --name '^" + title + "$'"));
  std::vector<std::string> found;
  for (std::string id; std::getline(ids, id);) found.push_back(id);
  return found;
}

// The program's main window and the editor's top left corner on the screen.
struct Editor
{
  std::string id;
  int x = 0, y = 0, menuBar = 0;

  // Waits for the main window (the visible window of that title that is the
  // editor's width).
  bool Find()
  {
    return WaitUntil(
        [&]
        {
          for (const std::string& window : Windows("Plenmora"))
          {
            int w = 0, h = 0;
            sscanf(RunXClient("xdotool getwindowgeometry --shell " + window + " | tr '\\n' ' '")
                       .c_str(),
                   "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &w, &h);
            if (w != kWidth || h < kHeight) continue;
            id = window;
            menuBar = h - kHeight;
            y += menuBar;
            return true;
          }
          return false;
        },
        20000);
  }
  // The editor as it is on the screen now.
  Image Shot(const std::string& path) const
  {
    RunXClient("import -window " + id + " -crop " + std::to_string(kWidth) + "x" +
               std::to_string(kHeight) + "+0+" + std::to_string(menuBar) +
               " +repage PNG24:" + path);
    return Load(path);
  }
  void Xdo(const std::string& args) const { RunXClient("xdotool " + args); }
  void MoveTo(int ex, int ey) const
  {
    Xdo("mousemove --sync " + std::to_string(x + ex) + " " + std::to_string(y + ey));
  }
  void Click(int ex, int ey) const
  {
    MoveTo(ex, ey);
    Xdo("click 1");
  }
  // Keys typed into window (the main window when "").
  void Keys(const std::string& keys, const std::string& window = "") const
  {
    Xdo("windowfocus --sync " + (window.empty() ? id : window) + " key " + keys);
  }
};

// The slope of the line that fits the points best (least squares).
double Slope(const std::vector<double>& x, const std::vector<double>& y)
{
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double n = (double)x.size();
  for (size_t i = 0; i < x.size(); ++i)
    sx += x[i], sy += y[i], sxx += x[i] * x[i], sxy += x[i] * y[i];
  return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

// Pixels whose colour differs between a and b within r.
int Differences(LICE_IBitmap* a, LICE_IBitmap* b, const Rect& r)
{
  int n = 0;
  for (int y = r.T; y < r.B; ++y)
    for (int x = r.L; x < r.R; ++x)
      n += (LICE_GetPixel(a, x, y) & 0xffffff00) != (LICE_GetPixel(b, x, y) & 0xffffff00);
  return n;
}

// The frame of its strip that each meter shows (-1: none).
std::array<int, 4> MeterFrames(LICE_IBitmap* shot, LICE_IBitmap* strip)
{
  const int from[4] = {};
  std::array<int, 4> frames;
  MeterFramesShown(shot, strip, from, frames.data());
  return frames;
}

// What the meters showed, as the program reported it after each drawing of
// its editor: the time of the drawing in seconds and the frame of each meter.
struct MeterLine
{
  double t;
  std::array<int, 4> f;
};
std::vector<MeterLine> MeterLines(const std::string& out)
{
  std::vector<MeterLine> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
  {
    long long us = 0;
    MeterLine m;
    if (sscanf(line.c_str(), "script: meters %lld %d %d %d %d", &us, &m.f[0], &m.f[1], &m.f[2],
               &m.f[3]) == 5)
      m.t = us / 1e6, lines.push_back(m);
  }
  return lines;
}

// A meter's fall: the drawings since the last one at frame 45 or more, down
// to frame 5; its rate in frames a second.
struct Fall
{
  std::vector<double> t, f;
  void Add(double time, int frame)
  {
    if (frame >= 45) t.clear(), f.clear();
    if (frame < 45 && frame > 5) t.push_back(time), f.push_back(frame);
  }
  double Rate() const { return -Slope(t, f); }
};

// Takes shots until one equals expected within r (20 s at most); the last
// shot's number of differing pixels.
int DifferencesOnceDrawn(const Editor& e, LICE_IBitmap* expected, const Rect& r,
                         const std::string& path)
{
  int n = -1;
  WaitUntil([&] { return (n = Differences(e.Shot(path).get(), expected, r)) == 0; }, 20000);
  return n;
}

} // namespace

// The first frame is the back buffer; dragging the Room Size knob up and
// choosing "13: Cathedral" in the preset menu set the parameters the knobs
// show; the wordmark shows and hides the about picture; the link reaches the
// desktop's handler of web addresses. The menu bar and its keys: Help >
// About, Ctrl+, for the preferences, Ctrl+Q. (The meters are the next test's.
// That the parameters reach the reverb is the effect's test's, and that the
// reverb time follows them the reverb engine's.)
TEST(Editor, DrawsItsBackBufferKnobsPresetsAboutLinkAndMenuKeys)
{
  // A private desktop in the program's home: the default handler of web
  // addresses is a script that writes the address it was given into a file.
  AppSandbox app;
  const std::string home = app.Home(), opened = home + "/opened";
  WriteFile(home + "/opener.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" >>" + opened + "\n");
  chmod((home + "/opener.sh").c_str(), 0700);
  WriteFile(home + "/.local/share/applications/test-opener.desktop",
            "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + home +
                "/opener.sh %u\nMimeType=x-scheme-handler/https;\n");
  WriteFile(home + "/.config/mimeapps.list",
            "[Default Applications]\nx-scheme-handler/https=test-opener.desktop\n");
  EnvScope data("XDG_DATA_HOME", (home + "/.local/share").c_str()),
      dirs("XDG_DATA_DIRS", "/usr/share");
  JackTestClient client;
  ASSERT_TRUE(client.IsOpen()) << "no JACK server";
  app.WriteSettings("[audio]\nindev=system\noutdev=plenmora_test\n");
  app.Start({"backbuffer " + home + "/back.ppm", "watch"});
  Editor e;
  ASSERT_TRUE(e.Find()) << app.OutputSoFar() << app.ErrorsSoFar();

  ASSERT_TRUE(app.WaitForOutput("script: backbuffer " + home + "/back.ppm")) << app.OutputSoFar();
  RunCommand("convert " + home + "/back.ppm PNG24:" + home + "/back.png");
  const Image back = Load(home + "/back.png"), first = e.Shot(home + "/first.png");
  ASSERT_TRUE(back && first);
  EXPECT_EQ(0, Differences(first.get(), back.get(), {0, 0, kWidth, kHeight}));

  // 80 pixels up on a 160-pixel knob geared 4: +0.125.
  const Rect& room = kKnobs[0].rect;
  e.MoveTo(room.MidX(), room.MidY());
  e.Xdo("mousedown 1");
  for (int i = 0; i < 16; ++i) e.Xdo("mousemove_relative --sync -- 0 -5");
  e.Xdo("mouseup 1");
  EXPECT_TRUE(app.WaitForOutput("script: params preset=0 62.5 50.0 100.0 100.0 30.0"))
      << app.OutputSoFar();

  e.Click(kPresetMenu.MidX(), kPresetMenu.MidY());
  ASSERT_TRUE(app.WaitForOutput("script: popup ")) << app.OutputSoFar();
  // 31 items, the first one checked; the keys reach the 13th.
  std::string popup = app.OutputSoFar();
  popup = popup.substr(popup.find("script: popup ") + 14);
  popup = "|" + popup.substr(0, popup.find('\n')) + "|";
  EXPECT_EQ(32, Count(popup, "|")) << popup;
  EXPECT_EQ(1, Count(popup, " *|")) << popup;
  for (const char* item : {"|01: Default *|", "|13: Cathedral|", "|31: Wet Only|"})
    EXPECT_NE(std::string::npos, popup.find(item)) << item;
  e.Xdo("key Home");
  for (int i = 0; i < 12; ++i) e.Xdo("key Down");
  e.Xdo("key Return");
  ASSERT_TRUE(app.WaitForOutput("script: params preset=12 96.0 30.0 100.0 85.0 40.0"))
      << app.OutputSoFar();

  // Every knob shows its frame of the preset's value over the background (its
  // strip drawn with source alpha).
  Image expected = Load(kPictures + "/" + kBackgroundImage);
  const Image knob = Load(kPictures + "/" + kKnobImage),
              large = Load(kPictures + "/" + kLargeKnobImage);
  const int frames[] = {96, 30, 100, 85, 40};
  for (int i = 0; i < 5; ++i)
  {
    const Rect& r = kKnobs[i].rect;
    LICE_Blit(expected.get(), kKnobs[i].large ? large.get() : knob.get(), r.L, r.T, 0,
              frames[i] * r.H(), r.W(), r.H(), 1.0f, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
  }
  for (const Knob& k : kKnobs)
    EXPECT_EQ(0, DifferencesOnceDrawn(e, expected.get(), k.rect, home + "/preset.png")) << k.label;
  const Image chosen = e.Shot(home + "/preset.png");
  EXPECT_GT(Differences(first.get(), chosen.get(), kPresetMenu), 20) << "the name did not change";

  // The about picture over the editor, and away again, between the meters.
  const Rect middle = {kMeters[1].R, 0, kMeters[2].L, kHeight};
  const Image about = Load(kPictures + "/" + kAboutImage);
  Image shown = e.Shot(home + "/shown.png");
  LICE_Blit(shown.get(), about.get(), 0, 0, 0, 0, kWidth, kHeight, 1.0f,
            LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
  e.Click(kAboutTarget.MidX(), kAboutTarget.MidY());
  EXPECT_EQ(0, DifferencesOnceDrawn(e, shown.get(), middle, home + "/about.png"));
  e.Click(kWidth / 2, kHeight / 2);
  EXPECT_EQ(0, DifferencesOnceDrawn(e, chosen.get(), middle, home + "/hidden.png"));

  e.Click(kLink.MidX(), kLink.MidY());
  EXPECT_TRUE(
      WaitUntil([&] { return ReadFile(opened) == "https://vorlane.example/videos\n"; }, 10000))
      << ReadFile(opened);

  // The window is the editor's size with the menu bar above it. The open menu
  // and then the message box are further visible windows of the title.
  EXPECT_TRUE(e.menuBar > 0 && e.menuBar < 60) << e.menuBar;
  auto other = [&](const std::string& besides)
  {
    for (const std::string& id : Windows("Plenmora"))
      if (id != e.id && id != besides) return id;
    return std::string();
  };
  std::string menu, box;
  e.Keys("alt+h");
  ASSERT_TRUE(WaitUntil([&] { return (menu = other("")) != ""; }, 10000)) << "no menu";
  e.Xdo("key Return");
  ASSERT_TRUE(WaitUntil([&] { return (box = other(menu)) != ""; }, 10000)) << "no about box";
  e.Keys("Return", box);
  EXPECT_TRUE(WaitUntil([&] { return other("") == ""; }, 10000));
  e.Keys("ctrl+comma");
  std::vector<std::string> dialog;
  ASSERT_TRUE(WaitUntil([&] { return !(dialog = Windows("Preferences")).empty(); }, 10000));
  e.Keys("Escape", dialog[0]);
  EXPECT_TRUE(WaitUntil([&] { return Windows("Preferences").empty(); }, 10000));
  e.Keys("ctrl+q");
  const AppResult r = app.Wait(20);
  EXPECT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(1, Count(r.out, "trying to start audio stream")) << r.out;
}

// The meters at the level of what comes in, connected once the window shows
// its dark meters. A steady level lights them although it never changes: a
// -12 dB sine into the left input and noise of -12 dB peaks into the right
// light the input meters at -12 dB (frame 47 of 0..59), on the screen too, and
// the output meters; they stay there while the input lasts, and once it stops
// the input meters fall at the release rate (20 dB a second over 60 dB).
// Bursts of noise of -6 dB peaks (frame 53), a quarter second every 4 s, light
// them as high and let them fall between the bursts. The program reports what
// each drawing of its editor shows, with the drawing's time, so the rate is
// that of the frames drawn however busy the machine is.
TEST(Editor, MetersShowSteadyInputAndBurstsAtTheirLevelAndFallAtTheReleaseRate)
{
  const float peak = std::pow(10.0f, -12.0f / 20);
  std::vector<float> sine(kRate), noise = Noise(kRate, kRate), bursts = Noise(kRate / 4, 4 * kRate);
  for (int i = 0; i < kRate; ++i)
    sine[i] = peak * (float)std::sin(2 * M_PI * 1000 * i / kRate), noise[i] *= 2 * peak;
  struct Input
  {
    const char* what;
    std::vector<float>&left, &right;
    int frame, tolerance, outputAtLeast;
    bool steady;
  };
  for (const Input& in : {Input{"steady", sine, noise, 47, 1, 1, true},
                          Input{"bursts", bursts, bursts, 53, 2, 50, false}})
  {
    SCOPED_TRACE(in.what);
    JackTestClient client(kRate / 20, in.left, in.right);
    ASSERT_TRUE(client.IsOpen()) << "no JACK server";
    AppSandbox app;
    app.WriteSettings("[audio]\nindev=system\noutdev=plenmora_test\n");
    app.Start({"meters"});
    Editor e;
    ASSERT_TRUE(e.Find()) << app.OutputSoFar() << app.ErrorsSoFar();
    auto lines = [&] { return MeterLines(app.OutputSoFar()); };
    ASSERT_TRUE(WaitUntil([&] { return !lines().empty(); }, 20000)) << app.OutputSoFar();
    ASSERT_EQ((std::array<int, 4>{}), lines().front().f) << "not dark at first";

    // The stream starts after the first frame; it plays, and the effect
    // hears, the input once its silent start is over.
    ASSERT_TRUE(WaitUntil([&] { return client.Connect("out_1", "RtApiJack:inport 0"); }, 10000));
    ASSERT_TRUE(client.Connect("out_2", "RtApiJack:inport 1"));
    ASSERT_TRUE(client.HearsSound(10000));
    if (in.steady)
    {
      // Lit at the level, and still there on the screen half a second later.
      auto level = [&](const std::array<int, 4>& f)
      {
        return std::abs(f[0] - in.frame) <= in.tolerance &&
               std::abs(f[1] - in.frame) <= in.tolerance && f[2] > 0 && f[3] > 0;
      };
      ASSERT_TRUE(WaitUntil([&] { return level(lines().back().f); }, 20000)) << app.OutputSoFar();
      const size_t lit = lines().size() - 1;
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      const Image strip = Load(kPictures + "/" + kMeterImage);
      ASSERT_TRUE(strip);
      EXPECT_TRUE(level(MeterFrames(e.Shot(app.Home() + "/meters.png").get(), strip.get())));
      const std::vector<MeterLine> held = lines();
      for (size_t i = lit; i < held.size(); ++i)
        EXPECT_TRUE(level(held[i].f)) << "at " << held[i].t - held[lit].t << " s";
      ASSERT_TRUE(client.Connect("out_1", "RtApiJack:inport 0", false));
      ASSERT_TRUE(client.Connect("out_2", "RtApiJack:inport 1", false));
    }
    // Until both input meters fell to the bottom from their level (for
    // bursts, from the second one, so that a whole burst was heard).
    auto fallen = [&]
    {
      int rises = 0;
      const std::vector<MeterLine> all = lines();
      for (size_t i = 1; i < all.size(); ++i)
        rises += all[i].f[0] >= 45 && all[i].f[1] >= 45 &&
                 (all[i - 1].f[0] < 45 || all[i - 1].f[1] < 45);
      return rises >= (in.steady ? 1 : 2) && all.back().f[0] == 0 && all.back().f[1] == 0;
    };
    ASSERT_TRUE(WaitUntil(fallen, 60000)) << app.OutputSoFar();
    std::array<int, 4> loudest = {};
    Fall left, right;
    for (const MeterLine& line : lines())
    {
      for (int m = 0; m < 4; ++m)
      {
        ASSERT_GE(line.f[m], 0) << "meter " << m << " shows no frame of its strip";
        loudest[m] = std::max(loudest[m], line.f[m]);
      }
      left.Add(line.t, line.f[0]), right.Add(line.t, line.f[1]);
    }
    EXPECT_NEAR(in.frame, loudest[0], in.tolerance);
    EXPECT_NEAR(in.frame, loudest[1], in.tolerance);
    EXPECT_GE(loudest[2], in.outputAtLeast);
    EXPECT_GE(loudest[3], in.outputAtLeast);
    for (const Fall* fall : {&left, &right})
    {
      ASSERT_GE(fall->t.size(), 8u) << "no fall seen" << app.OutputSoFar();
      EXPECT_NEAR(kReleaseFramesPerSecond, fall->Rate(), 2.0);
    }
    e.Keys("ctrl+q");
    EXPECT_TRUE(app.Wait(20).ok);
  }
}

// Without its pictures the effect makes no editor: the program names the
// missing ones and the folder, shows its window empty and still runs the
// reverb. SIGTERM, as the desktop sends at logout, ends it as Quit does: exit
// status 0, the settings as they were, and the audio stream closed by the
// program itself, not torn away when the process dies (which costs the other
// JACK clients xruns).
TEST(Editor, WithoutItsPicturesTheWindowStaysEmptyAudioRunsAndSigtermQuitsInOrder)
{
  JackClientWatch watch("RtApiJack");
  ASSERT_TRUE(watch.IsOpen()) << "no JACK server";
  AppSandbox app;
  TempDir empty;
  EnvScope resources("PLENMORA_RESOURCES", empty.Path().c_str());
  JackTestClient client(kRate / 10, Noise(kRate, kRate));
  ASSERT_TRUE(client.IsOpen());
  app.WriteSettings("[audio]\nindev=plenmora_test\noutdev=plenmora_test\n");
  app.Start({"wait 2000", "about", "endmessagebox"});
  Editor e;
  ASSERT_TRUE(e.Find()) << app.OutputSoFar() << app.ErrorsSoFar();
  ASSERT_TRUE(app.WaitForOutput("script: messagebox")) << app.OutputSoFar();
  EXPECT_NE(std::string::npos,
            app.OutputSoFar().find("its editor: its pictures in " + empty.Path() +
                                   " are not usable:\\n\"bg.png\" is missing or unreadable."))
      << app.OutputSoFar();

  EXPECT_TRUE(client.HearsSound(10000));

  const Image shot = e.Shot(app.Home() + "/empty.png");
  ASSERT_TRUE(shot);
  LICE_MemBitmap plain(kWidth, kHeight);
  LICE_Clear(&plain, LICE_GetPixel(shot.get(), 0, 0));
  EXPECT_EQ(0, Differences(shot.get(), &plain, {0, 0, kWidth, kHeight})) << "not empty";

  const std::string settings = ReadFile(app.SettingsFile());
  watch.Follow(app.Pid());
  ASSERT_EQ(0, kill(app.Pid(), SIGTERM));
  EXPECT_EQ(1, watch.ClosedWhileRunning(10000));
  const AppResult r = app.Wait(30);
  EXPECT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(settings, ReadFile(app.SettingsFile()));
  EXPECT_NE(std::string::npos, r.err.find("\"bg.png\"")) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("couldn't attach gui")) << r.out;
}

// ---- The preset menu on screens too short for it ----

namespace
{
// An X server of the test's own with one screen of that size, the display of
// the commands and programs the test starts while it lives.
class Screen
{
public:
  Screen(int w, int h)
  {
    const std::string file = mDir.Path() + "/display";
    mPid = Spawn("exec Xvfb -displayfd 3 -screen 0 " + std::to_string(w) + "x" + std::to_string(h) +
                 "x24 -nolisten tcp 3>'" + file + "' 2>/dev/null");
    std::string number;
    if (WaitUntil([&] { return (number = ReadFile(file)).find('\n') != std::string::npos; }, 10000))
      mDisplay.emplace("DISPLAY", (":" + number.substr(0, number.find('\n'))).c_str());
  }
  ~Screen()
  {
    mDisplay.reset();
    EndProcess(mPid, SIGTERM, 5000);
  }
  bool IsUp() const { return mDisplay.has_value(); }

private:
  TempDir mDir;
  pid_t mPid = -1;
  std::optional<EnvScope> mDisplay;
};

// The lines the test hook printed that start with prefix.
std::vector<std::string> ScriptLines(const std::string& out, const std::string& prefix)
{
  std::istringstream in(out);
  std::vector<std::string> found;
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, 8 + prefix.size(), "script: " + prefix) == 0)
      found.push_back(line.substr(8));
  return found;
}
} // namespace

// The 31 presets do not fit below the box on screens 1024 or 768 pixels
// high, so the menu lies over the box, under the pointer: a press held there
// and released chooses nothing, and the menu stays open for a click on a
// preset. SIGTERM while a menu is open closes it, nothing chosen, and ends
// the program in order.
TEST(Editor, AHeldPressOnThePresetBoxChoosesNothingAndSigtermClosesTheOpenMenu)
{
  for (auto [w, h] : {std::pair{1280, 1024}, {1366, 768}})
  {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Screen screen(w, h);
    ASSERT_TRUE(screen.IsUp());
    JackClientWatch watch("RtApiJack");
    ASSERT_TRUE(watch.IsOpen()) << "no JACK server";
    AppSandbox app;
    app.WriteSettings("[audio]\nindev=system\noutdev=system\n");
    app.Start({"watch"});
    Editor e;
    ASSERT_TRUE(e.Find()) << app.OutputSoFar() << app.ErrorsSoFar();
    const std::string start = "params preset=0 50.0 50.0 100.0 100.0 30.0";
    ASSERT_TRUE(app.WaitForOutput(start)) << app.OutputSoFar();

    // Room Size a wheel step up: choosing any preset, the current one too,
    // would change a value.
    e.MoveTo(kKnobs[0].rect.MidX(), kKnobs[0].rect.MidY());
    e.Xdo("click 4");
    const std::string turned = "params preset=0 51.0 50.0 100.0 100.0 30.0";
    ASSERT_TRUE(app.WaitForOutput(turned)) << app.OutputSoFar();
    e.MoveTo(kPresetMenu.MidX(), kPresetMenu.MidY());
    e.Xdo("mousedown 1 sleep 0.8 mouseup 1");
    ASSERT_TRUE(app.WaitForOutput("script: popup ")) << app.OutputSoFar();

    // The menu is the other window of the title; its items are of one height.
    std::string menu;
    ASSERT_TRUE(WaitUntil(
        [&]
        {
          for (const std::string& id : Windows("Plenmora"))
            if (id != e.id) menu = id;
          return !menu.empty();
        },
        10000))
        << "the menu closed: " << app.OutputSoFar();
    int x = 0, y = 0, mw = 0, mh = 0;
    sscanf(RunXClient("xdotool getwindowgeometry --shell " + menu + " | tr '\\n' ' '").c_str(),
           "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &mw, &mh);
    e.Xdo("mousemove --sync " + std::to_string(x + mw / 2) + " " +
          std::to_string(y + mh * 25 / 62) + " click 1");
    const std::string cathedral = "params preset=12 96.0 30.0 100.0 85.0 40.0";
    ASSERT_TRUE(app.WaitForOutput(cathedral)) << app.OutputSoFar();
    EXPECT_EQ((std::vector<std::string>{start, turned, cathedral}),
              ScriptLines(app.OutputSoFar(), "params "));

    e.Click(kPresetMenu.MidX(), kPresetMenu.MidY());
    ASSERT_TRUE(WaitUntil([&] { return Count(app.OutputSoFar(), "script: popup ") == 2; }, 10000))
        << app.OutputSoFar();
    const std::string settings = ReadFile(app.SettingsFile());
    watch.Follow(app.Pid());
    ASSERT_EQ(0, kill(app.Pid(), SIGTERM));
    EXPECT_EQ(1, watch.ClosedWhileRunning(20000));
    const AppResult r = app.Wait(20);
    EXPECT_TRUE(r.ok) << r.out << r.err;
    EXPECT_EQ(settings, ReadFile(app.SettingsFile()));
    EXPECT_EQ(cathedral, ScriptLines(r.out, "params ").back());
  }
}
