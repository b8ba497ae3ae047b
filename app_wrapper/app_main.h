// The stand-alone application: its callback from the window layer, start-up
// and shut-down, the main window and the preferences dialog.
#pragma once

#include <vector>

#include <RtAudio.h>

#include "swell.h"
#include "swell-dlggen.h"
#include "swell-menugen.h"

#include "resource.h"

// ---- Application life (app_main.cpp) ----

// Called by the window layer's application delegate at load, when launching
// has finished, before terminating and for application-menu commands.
INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR parm2);

// Start-up after launching: the plug-in with its first preset, then
// StartAudioAndMidi. False when the audio stream did not start.
bool Init();
void MakePlugin();
// Audio driver and devices, the saved MIDI ports and the audio stream; false
// when the stream did not start. The application runs it once its main
// window is on screen.
bool StartAudioAndMidi();
// Runs what start-up left for after the window showed, if it has not run yet:
// everything that uses audio or MIDI calls it first.
void FinishStartup();
// Opens the plug-in's editor inside the main window; false without an editor.
bool AttachGUI();
// Shut-down: stops audio and MIDI before the plug-in goes, then frees
// everything that start-up made.
void Cleanup();

// ---- Main window and preferences dialog (app_dialog.cpp) ----

INT_PTR MainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR PreferencesDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Fill the preferences dialog's controls from the device lists and the
// current settings, selecting the stored values.
void PopulatePreferencesDialog(HWND hwndDlg);
void PopulateAudioDialogs(HWND hwndDlg);
void PopulateDriverSpecificControls(HWND hwndDlg);
void PopulateAudioInputList(HWND hwndDlg, const RtAudio::DeviceInfo* info);
void PopulateAudioOutputList(HWND hwndDlg, const RtAudio::DeviceInfo* info);
void PopulateSampleRateList(HWND hwndDlg, const RtAudio::DeviceInfo* inputInfo,
                            const RtAudio::DeviceInfo* outputInfo);
bool PopulateMidiDialogs(HWND hwndDlg);
// The sample rates that both devices offer, as the sample-rate combo lists
// them: each input rate, in the input device's order, once for each equal
// output rate.
std::vector<unsigned int> SharedSampleRates(const std::vector<unsigned int>& inputRates,
                                            const std::vector<unsigned int>& outputRates);

// The preferences dialog while it is open, else null.
HWND GetPreferencesDialog();

// Option lists of the vector-size combos (app_resources.cpp).
constexpr int kNumIOVSOptions = 9;
constexpr int kNumSIGVSOptions = 7;
extern const char* const kIOVSOptions[kNumIOVSOptions];
extern const char* const kSIGVSOptions[kNumSIGVSOptions];
