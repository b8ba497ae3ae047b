// The main window's dialog procedure (about box, preferences, quit) and the
// preferences dialog: its procedure and the functions that fill its controls.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "app_main.h"
#include "app_settings.h"
#include "app_audio.h"
#include "app_midi.h"
#include "IPlugStandalone.h"

namespace
{
HWND sPreferencesDialog = nullptr;
// Whether the audio settings were still a guess when the dialog opened:
// Cancel brings that back with the settings.
bool sProvisionalAtOpen = false;

// ---- Control access through window messages ----

LRESULT SendItem(HWND dlg, int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
  HWND item = GetDlgItem(dlg, id);
  return item ? SendMessage(item, msg, wParam, lParam) : 0;
}

void ResetCombo(HWND dlg, int id) { SendItem(dlg, id, CB_RESETCONTENT, 0, 0); }
void AddComboItem(HWND dlg, int id, const char* text)
{
  SendItem(dlg, id, CB_ADDSTRING, 0, (LPARAM)text);
}
void AddComboNumber(HWND dlg, int id, int n)
{
  char buf[32];
  snprintf(buf, sizeof(buf), "%i", n);
  AddComboItem(dlg, id, buf);
}
void SelectComboItem(HWND dlg, int id, int idx) { SendItem(dlg, id, CB_SETCURSEL, (WPARAM)idx, 0); }
int FindComboItem(HWND dlg, int id, const char* text)
{
  HWND item = GetDlgItem(dlg, id);
  return item ? (int)SendMessage(item, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) : -1;
}
// The selected index; -1 when nothing is selected.
int ComboSelection(HWND dlg, int id)
{
  HWND item = GetDlgItem(dlg, id);
  return item ? (int)SendMessage(item, CB_GETCURSEL, 0, 0) : -1;
}

// Copies the selected item's text into a settings field of fieldSize bytes
// (longer texts are cut). False, leaving the field alone, when nothing is
// selected.
bool ReadSelectedText(HWND dlg, int id, char* field, size_t fieldSize)
{
  const int sel = ComboSelection(dlg, id);
  if (sel < 0) return false;
  char buf[1024] = "";
  if (!SendItem(dlg, id, CB_GETLBTEXT, (WPARAM)sel, (LPARAM)buf)) return false;
  snprintf(field, fieldSize, "%s", buf);
  return true;
}

template <size_t N> bool ReadSelectedText(HWND dlg, int id, char (&field)[N])
{
  return ReadSelectedText(dlg, id, field, N);
}

// ---- The system's audio and MIDI set-up application ----

bool FindInPath(const char* name, std::string& path)
{
  const char* env = getenv("PATH");
  if (!env || !*env) return false;
  std::string dirs(env);
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0)
    {
      path = candidate;
      return true;
    }
    start = end + 1;
  }
  return false;
}

// Starts the program without waiting for it: a child starts it in a
// grandchild and leaves at once, so nothing is left for us to reap.
bool StartDetached(const std::string& path)
{
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0)
  {
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0)
    {
      execl(path.c_str(), path.c_str(), (char*)nullptr);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR)
  {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void OpenAudioMidiSetup(HWND dlg)
{
  static const char* const kSetupApps[] = {"qpwgraph", "qjackctl", "pavucontrol"};
  for (const char* app : kSetupApps)
  {
    std::string path;
    if (!FindInPath(app, path)) continue;
    if (StartDetached(path))
      printf("Audio Midi Setup: started %s\n", path.c_str());
    else
      printf("Audio Midi Setup: could not start %s\n", path.c_str());
    fflush(stdout);
    return;
  }
  const char* text = "No audio and MIDI set-up application was found. Plenmora looks for "
                     "qpwgraph, qjackctl and pavucontrol: install one of them.";
  printf("Audio Midi Setup: %s\n", text);
  fflush(stdout);
  MessageBox(dlg, text, "Plenmora", MB_OK);
}

// ---- Preferences commands ----

// After the driver changed: the first devices of the new lists, and their
// first two channels.
void ChooseFirstDevices()
{
  if (!gAudioInputDevs.empty())
  {
    SetAppStateText(gState->mAudioInDevice,
                    GetAudioDeviceName((int)gAudioInputDevs.front()).c_str());
    gState->mAudioIn1 = 1;
    gState->mAudioIn2 = 2;
  }
  if (!gAudioOutputDevs.empty())
  {
    SetAppStateText(gState->mAudioOutDevice,
                    GetAudioDeviceName((int)gAudioOutputDevs.front()).c_str());
    gState->mAudioOut1 = 1;
    gState->mAudioOut2 = 2;
  }
}

// The IO and signal vector sizes: the IO vector size may not be below the
// signal vector size; when it is, the signal vector size falls back to the
// smallest option and its combo shows no selection.
void OnVectorSizeChange(HWND dlg, int changedId)
{
  const int ioIdx = ComboSelection(dlg, IDC_PREF_IOVS);
  const int sigIdx = ComboSelection(dlg, IDC_PREF_SIGVS);
  const int changedIdx = changedId == IDC_PREF_IOVS ? ioIdx : sigIdx;
  if (changedIdx < 0) return;
  // A combo without a selection stands for the stored value.
  const int io =
      ioIdx >= 0 && ioIdx < kNumIOVSOptions ? atoi(kIOVSOptions[ioIdx]) : atoi(gState->mAudioIOVS);
  const int sig = sigIdx >= 0 && sigIdx < kNumSIGVSOptions ? atoi(kSIGVSOptions[sigIdx])
                                                           : atoi(gState->mAudioSigVS);
  ReadSelectedText(dlg, IDC_PREF_IOVS, gState->mAudioIOVS);
  if (io < sig)
  {
    SetAppStateText(gState->mAudioSigVS, kSIGVSOptions[0]);
    // Shown without a selection. Selecting index -1 leaves the selection as
    // it is, so the options are put back without one.
    ResetCombo(dlg, IDC_PREF_SIGVS);
    for (const char* option : kSIGVSOptions) AddComboItem(dlg, IDC_PREF_SIGVS, option);
  }
  else
  {
    ReadSelectedText(dlg, IDC_PREF_SIGVS, gState->mAudioSigVS);
  }
}

// A first channel was chosen: the second follows it.
void OnFirstChannelChange(HWND dlg, int id, int secondId, uint16_t& first, uint16_t& second)
{
  const int sel = ComboSelection(dlg, id);
  if (sel < 0) return;
  first = (uint16_t)(sel + 1);
  second = (uint16_t)(first + 1);
  SelectComboItem(dlg, secondId, second - 1);
}

// Opens the stream that gState describes, for OK and Apply. Devices that are
// not found, or that refuse, may be the server's news since the last probe
// (a server started or restarted): the devices are probed again and the open
// tried once more. MIDI comes back with a server that came back. A failure
// is shown in a message box over the dialog.
bool ReopenAudio(HWND dlg)
{
  bool ok = TryToChangeAudio();
  if (!ok)
  {
    if (!gDAC) TryToChangeAudioDriverType();
    ProbeAudioIO();
    ok = TryToChangeAudio();
  }
  RefreshMidi();
  if (!ok)
  {
    const bool running = gDAC && gDAC->isStreamRunning();
    char text[512];
    snprintf(text, sizeof(text),
             "Plenmora could not open the audio input \"%s\" and output \"%s\" of the %s "
             "driver.\n%s",
             gState->mAudioInDevice, gState->mAudioOutDevice,
             gState->mAudioDriver < kNumAudioDrivers ? kAudioDriverNames[gState->mAudioDriver]
                                                     : "chosen",
             running ? "The audio goes on with the devices it had."
                     : "Audio is off until other devices are chosen.");
    fflush(stdout);
    MessageBox(dlg, text, "Plenmora", MB_OK);
  }
  return ok;
}

void OnPreferencesOK(HWND dlg)
{
  // gActiveState describes the running stream only while one runs: with none
  // (never opened, the last open failed, or the server went away) OK opens
  // one even for settings equal to that record.
  const bool streamRuns = gDAC && gDAC->isStreamRunning();
  if (!streamRuns || !AllSettingsInStateAreEqual(gState, gActiveState))
    ReopenAudio(dlg);
  else
    RefreshMidi();
  // The user chose these settings, whether or not they open now.
  SetAudioChoiceProvisional(false);
  EndDialog(dlg, IDOK);
}

void OnPreferencesApply(HWND dlg)
{
  ReopenAudio(dlg);
  SetAudioChoiceProvisional(false);
  // The lists as the devices and ports are now; the rate that was opened.
  PopulateDriverSpecificControls(dlg);
  ProbeMidiIO();
  PopulateMidiDialogs(dlg);
}

void OnPreferencesCancel(HWND dlg)
{
  EndDialog(dlg, IDCANCEL);
  SetAudioChoiceProvisional(sProvisionalAtOpen);
  if (AudioSettingsInStateAreEqual(gState, gTempState) &&
      MIDISettingsInStateAreEqual(gState, gTempState))
    return;
  // The MIDI ports chosen while the dialog was open go back too.
  const bool midiInChanged = strcmp(gState->mMidiInDevice, gTempState->mMidiInDevice) != 0;
  const bool midiOutChanged = strcmp(gState->mMidiOutDevice, gTempState->mMidiOutDevice) != 0;
  *gState = *gTempState;
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  if (midiInChanged) ChooseMidiInput(gState->mMidiInDevice);
  if (midiOutChanged) ChooseMidiOutput(gState->mMidiOutDevice);
  RefreshMidi();
  TryToChangeAudio();
}

void OnPreferencesCommand(HWND dlg, int id, int code)
{
  switch (id)
  {
    case IDOK:
      OnPreferencesOK(dlg);
      break;
    case IDCANCEL:
      OnPreferencesCancel(dlg);
      break;
    case IDC_PREF_DRIVER:
      if (code == CBN_SELCHANGE)
      {
        const int sel = ComboSelection(dlg, IDC_PREF_DRIVER);
        if (sel < 0 || sel == gState->mAudioDriver) break;
        gState->mAudioDriver = (uint16_t)sel;
        TryToChangeAudioDriverType();
        ProbeAudioIO();
        ChooseFirstDevices();
        PopulateAudioDialogs(dlg);
        // MIDI follows the driver: JACK MIDI with JACK, ALSA otherwise.
        ProbeMidiIO();
        RefreshMidi();
        PopulateMidiDialogs(dlg);
      }
      break;
    case IDC_PREF_IN_DEVICE:
      if (code == CBN_SELCHANGE && ReadSelectedText(dlg, id, gState->mAudioInDevice))
      {
        gState->mAudioIn1 = 1;
        gState->mAudioIn2 = 2;
        PopulateDriverSpecificControls(dlg);
      }
      break;
    case IDC_PREF_OUT_DEVICE:
      if (code == CBN_SELCHANGE && ReadSelectedText(dlg, id, gState->mAudioOutDevice))
      {
        gState->mAudioOut1 = 1;
        gState->mAudioOut2 = 2;
        PopulateDriverSpecificControls(dlg);
      }
      break;
    case IDC_PREF_IOVS:
    case IDC_PREF_SIGVS:
      if (code == CBN_SELCHANGE) OnVectorSizeChange(dlg, id);
      break;
    case IDC_PREF_SAMPLE_RATE:
      if (code == CBN_SELCHANGE) ReadSelectedText(dlg, id, gState->mAudioSampleRate);
      break;
    case IDC_PREF_IN1:
      if (code == CBN_SELCHANGE)
        OnFirstChannelChange(dlg, id, IDC_PREF_IN2, gState->mAudioIn1, gState->mAudioIn2);
      break;
    case IDC_PREF_IN2:
      // The second channel always follows the first.
      if (code == CBN_SELCHANGE) SelectComboItem(dlg, IDC_PREF_IN2, gState->mAudioIn2 - 1);
      break;
    case IDC_PREF_OUT1:
      if (code == CBN_SELCHANGE)
        OnFirstChannelChange(dlg, id, IDC_PREF_OUT2, gState->mAudioOut1, gState->mAudioOut2);
      break;
    case IDC_PREF_OUT2:
      if (code == CBN_SELCHANGE) SelectComboItem(dlg, IDC_PREF_OUT2, gState->mAudioOut2 - 1);
      break;
    case IDC_PREF_MIDI_IN:
      if (code == CBN_SELCHANGE && ReadSelectedText(dlg, id, gState->mMidiInDevice))
        ChooseMidiInput(gState->mMidiInDevice);
      break;
    case IDC_PREF_MIDI_OUT:
      if (code == CBN_SELCHANGE && ReadSelectedText(dlg, id, gState->mMidiOutDevice))
        ChooseMidiOutput(gState->mMidiOutDevice);
      break;
    case IDC_PREF_MIDI_IN_CHAN:
      if (code == CBN_SELCHANGE)
      {
        const int sel = ComboSelection(dlg, id);
        if (sel >= 0) gState->mMidiInChannel = (uint16_t)sel;
      }
      break;
    case IDC_PREF_MIDI_OUT_CHAN:
      if (code == CBN_SELCHANGE)
      {
        const int sel = ComboSelection(dlg, id);
        if (sel >= 0) gState->mMidiOutChannel = (uint16_t)sel;
      }
      break;
    case IDC_PREF_AUDIO_MIDI_SETUP:
      if (code == BN_CLICKED) OpenAudioMidiSetup(dlg);
      break;
    case IDC_PREF_MONO:
      gState->mAudioMonoInput = SendItem(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      break;
    case IDC_PREF_APPLY:
      OnPreferencesApply(dlg);
      break;
    default:
      break;
  }
}

// Fills a device combo with the names of the listed devices and selects the
// stored name (the last equal entry). Returns the position of the device
// whose channels and rates are offered: the stored one, else the first; -1
// when the list is empty.
int FillDeviceCombo(HWND dlg, int id, const std::vector<unsigned int>& devices,
                    const char* storedName)
{
  ResetCombo(dlg, id);
  int chosen = -1;
  int pos = 0;
  for (unsigned int device : devices)
  {
    const std::string name = GetAudioDeviceName((int)device);
    AddComboItem(dlg, id, name.c_str());
    if (name == storedName) chosen = pos;
    ++pos;
  }
  if (pos == 0) return -1;
  // A stored device that is not listed shows no selection: choosing any
  // listed device, the first one too, is then a change that reaches the
  // dialog (choosing the item already shown is not).
  if (chosen < 0) return 0;
  SelectComboItem(dlg, id, chosen);
  return chosen;
}

// Fills a first/second channel pair of combos for n channels: the first
// channel can be at most n - 1, the second follows it.
void FillChannelPair(HWND dlg, int firstId, int secondId, unsigned n, int first, int second)
{
  ResetCombo(dlg, firstId);
  ResetCombo(dlg, secondId);
  for (unsigned ch = 1; ch < n; ++ch)
  {
    AddComboNumber(dlg, firstId, (int)ch);
    AddComboNumber(dlg, secondId, (int)ch);
  }
  if (n > 0) AddComboNumber(dlg, secondId, (int)n);
  SelectComboItem(dlg, firstId, first - 1);
  SelectComboItem(dlg, secondId, second - 1);
}
} // namespace

HWND GetPreferencesDialog() { return sPreferencesDialog; }

// ---- Main window ----

INT_PTR MainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/)
{
  switch (msg)
  {
    case WM_INITDIALOG:
      gHWND = hwnd;
      if (!AttachGUI()) puts("couldn't attach gui");
      CenterWindow(hwnd);
      ShowWindow(hwnd, 2);
      return 1;
    case WM_COMMAND:
      FinishStartup();
      switch (LOWORD(wParam))
      {
        case IDM_ABOUT:
          if (!gPluginInstance || !gPluginInstance->HostRequestingAboutBox())
            MessageBox(hwnd, "Vorlane\nBuilt on Mar 18 2015", "Plenmora", MB_OK);
          break;
        case IDM_PREFERENCES:
        {
          const INT_PTR result = SWELL_DialogBox(SWELL_curmodule_dialogresource_head,
                                                 IDD_DIALOG_PREF, hwnd, PreferencesDlgProc, 0);
          sPreferencesDialog = nullptr;
          if (result == IDOK && !UpdateINI())
          {
            const std::string text =
                std::string("Plenmora could not save its settings to ") + gINIPath + ".";
            MessageBox(hwnd, text.c_str(), "Plenmora", MB_OK);
          }
        }
        break;
        case IDM_QUIT:
          DestroyWindow(hwnd);
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      gHWND = nullptr;
      SWELL_PostQuitMessage(hwnd);
      return 0;
    default:
      return 0;
  }
}

// ---- Preferences dialog ----

INT_PTR PreferencesDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM /*lParam*/)
{
  switch (msg)
  {
    case WM_INITDIALOG:
      sPreferencesDialog = hwnd;
      // The devices and ports as they are now: a server may have started,
      // stopped or come back since the last look.
      if (!gDAC) TryToChangeAudioDriverType();
      ProbeAudioIO();
      ProbeMidiIO();
      RefreshMidi();
      PopulatePreferencesDialog(hwnd);
      *gTempState = *gState;
      sProvisionalAtOpen = IsAudioChoiceProvisional();
      return 1;
    case WM_COMMAND:
      OnPreferencesCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
      return 1;
    default:
      return 0;
  }
}

void PopulatePreferencesDialog(HWND hwndDlg)
{
  for (int i = 0; i < kNumAudioDrivers; ++i)
    AddComboItem(hwndDlg, IDC_PREF_DRIVER, kAudioDriverNames[i]);
  SelectComboItem(hwndDlg, IDC_PREF_DRIVER, gState->mAudioDriver);
  PopulateAudioDialogs(hwndDlg);
  PopulateMidiDialogs(hwndDlg);
}

void PopulateAudioDialogs(HWND hwndDlg)
{
  PopulateDriverSpecificControls(hwndDlg);
  SendItem(hwndDlg, IDC_PREF_MONO, BM_SETCHECK,
           gState->mAudioMonoInput ? BST_CHECKED : BST_UNCHECKED, 0);
  // Emptied first: after a driver change the lists are filled again.
  ResetCombo(hwndDlg, IDC_PREF_IOVS);
  for (const char* option : kIOVSOptions) AddComboItem(hwndDlg, IDC_PREF_IOVS, option);
  SelectComboItem(hwndDlg, IDC_PREF_IOVS,
                  FindComboItem(hwndDlg, IDC_PREF_IOVS, gState->mAudioIOVS));
  ResetCombo(hwndDlg, IDC_PREF_SIGVS);
  for (const char* option : kSIGVSOptions) AddComboItem(hwndDlg, IDC_PREF_SIGVS, option);
  SelectComboItem(hwndDlg, IDC_PREF_SIGVS,
                  FindComboItem(hwndDlg, IDC_PREF_SIGVS, gState->mAudioSigVS));
}

void PopulateDriverSpecificControls(HWND hwndDlg)
{
  const int inPos =
      FillDeviceCombo(hwndDlg, IDC_PREF_IN_DEVICE, gAudioInputDevs, gState->mAudioInDevice);
  const int outPos =
      FillDeviceCombo(hwndDlg, IDC_PREF_OUT_DEVICE, gAudioOutputDevs, gState->mAudioOutDevice);

  const RtAudio::DeviceInfo* inInfo =
      inPos >= 0 ? GetAudioDeviceInfo((int)gAudioInputDevs[inPos]) : nullptr;
  const RtAudio::DeviceInfo* outInfo =
      outPos >= 0 ? GetAudioDeviceInfo((int)gAudioOutputDevs[outPos]) : nullptr;
  if (inInfo)
  {
    PopulateAudioInputList(hwndDlg, inInfo);
  }
  else
  {
    ResetCombo(hwndDlg, IDC_PREF_IN1);
    ResetCombo(hwndDlg, IDC_PREF_IN2);
  }
  if (outInfo)
  {
    PopulateAudioOutputList(hwndDlg, outInfo);
  }
  else
  {
    ResetCombo(hwndDlg, IDC_PREF_OUT1);
    ResetCombo(hwndDlg, IDC_PREF_OUT2);
  }
  if (inInfo && outInfo)
    PopulateSampleRateList(hwndDlg, inInfo, outInfo);
  else
    ResetCombo(hwndDlg, IDC_PREF_SAMPLE_RATE);
}

void PopulateAudioInputList(HWND hwndDlg, const RtAudio::DeviceInfo* info)
{
  FillChannelPair(hwndDlg, IDC_PREF_IN1, IDC_PREF_IN2, info->inputChannels, gState->mAudioIn1,
                  gState->mAudioIn2);
}

void PopulateAudioOutputList(HWND hwndDlg, const RtAudio::DeviceInfo* info)
{
  FillChannelPair(hwndDlg, IDC_PREF_OUT1, IDC_PREF_OUT2, info->outputChannels, gState->mAudioOut1,
                  gState->mAudioOut2);
}

std::vector<unsigned int> SharedSampleRates(const std::vector<unsigned int>& inputRates,
                                            const std::vector<unsigned int>& outputRates)
{
  std::vector<unsigned int> shared;
  for (unsigned int inRate : inputRates)
    for (unsigned int outRate : outputRates)
      if (inRate == outRate) shared.push_back(inRate);
  return shared;
}

void PopulateSampleRateList(HWND hwndDlg, const RtAudio::DeviceInfo* inputInfo,
                            const RtAudio::DeviceInfo* outputInfo)
{
  ResetCombo(hwndDlg, IDC_PREF_SAMPLE_RATE);
  for (unsigned rate : SharedSampleRates(inputInfo->sampleRates, outputInfo->sampleRates))
    AddComboNumber(hwndDlg, IDC_PREF_SAMPLE_RATE, (int)rate);
  SelectComboItem(hwndDlg, IDC_PREF_SAMPLE_RATE,
                  FindComboItem(hwndDlg, IDC_PREF_SAMPLE_RATE, gState->mAudioSampleRate));
}

namespace
{
// Fills a MIDI port combo and selects the stored name; a name that is not
// offered becomes "off" (the first entry) and the settings are saved.
void FillMidiPortCombo(HWND dlg, int id, const std::vector<std::string>& names,
                       char (&storedName)[kAppStateTextSize])
{
  for (const std::string& name : names) AddComboItem(dlg, id, name.c_str());
  int idx = FindComboItem(dlg, id, storedName);
  if (idx < 0)
  {
    SetAppStateText(storedName, "off");
    UpdateINI();
    idx = 0;
  }
  SelectComboItem(dlg, id, idx);
}

// While MIDI is unavailable: "off", and a port chosen before, which is kept
// for when MIDI is back, as the choice shown.
void FillUnavailableMidiPortCombo(HWND dlg, int id, const char* storedName)
{
  AddComboItem(dlg, id, "off");
  const bool kept = strcmp(storedName, "off") != 0;
  if (kept) AddComboItem(dlg, id, storedName);
  SelectComboItem(dlg, id, kept ? 1 : 0);
}

void FillMidiChannelCombo(HWND dlg, int id, int selected)
{
  AddComboItem(dlg, id, "all");
  for (int ch = 1; ch <= 16; ++ch) AddComboNumber(dlg, id, ch);
  SelectComboItem(dlg, id, selected);
}
} // namespace

bool PopulateMidiDialogs(HWND hwndDlg)
{
  ResetCombo(hwndDlg, IDC_PREF_MIDI_IN);
  ResetCombo(hwndDlg, IDC_PREF_MIDI_OUT);
  ResetCombo(hwndDlg, IDC_PREF_MIDI_IN_CHAN);
  ResetCombo(hwndDlg, IDC_PREF_MIDI_OUT_CHAN);
  FillMidiChannelCombo(hwndDlg, IDC_PREF_MIDI_IN_CHAN, gState->mMidiInChannel);
  FillMidiChannelCombo(hwndDlg, IDC_PREF_MIDI_OUT_CHAN, gState->mMidiOutChannel);
  if (!MidiAvailable())
  {
    FillUnavailableMidiPortCombo(hwndDlg, IDC_PREF_MIDI_IN, gState->mMidiInDevice);
    FillUnavailableMidiPortCombo(hwndDlg, IDC_PREF_MIDI_OUT, gState->mMidiOutDevice);
    return false;
  }
  FillMidiPortCombo(hwndDlg, IDC_PREF_MIDI_IN, gMIDIInputDevNames, gState->mMidiInDevice);
  FillMidiPortCombo(hwndDlg, IDC_PREF_MIDI_OUT, gMIDIOutputDevNames, gState->mMidiOutDevice);
  return true;
}
