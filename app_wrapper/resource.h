// Resource and control ids of the stand-alone application: the main window,
// the preferences dialog and the menu.
#pragma once

#define IDD_DIALOG_MAIN 40001
#define IDD_DIALOG_PREF 40002
#define IDR_MENU1 40004

// Menu commands.
#define IDM_ABOUT 40005
#define IDM_PREFERENCES 40006
#define IDM_QUIT 40007

// Preferences dialog controls (OK is IDOK, Cancel is IDCANCEL).
#define IDC_PREF_DRIVER 40008
#define IDC_PREF_IN_DEVICE 40009
#define IDC_PREF_OUT_DEVICE 40010
#define IDC_PREF_IOVS 40011
#define IDC_PREF_SIGVS 40012
#define IDC_PREF_SAMPLE_RATE 40013
#define IDC_PREF_IN1 40014
#define IDC_PREF_IN2 40015
#define IDC_PREF_OUT2 40016
#define IDC_PREF_OUT1 40017
#define IDC_PREF_MIDI_IN 40018
#define IDC_PREF_MIDI_OUT 40019
#define IDC_PREF_MIDI_IN_CHAN 40020
#define IDC_PREF_MIDI_OUT_CHAN 40021
#define IDC_PREF_AUDIO_MIDI_SETUP 40022
#define IDC_PREF_MONO 40023
#define IDC_PREF_APPLY 40024

// Main dialog size: the editor's size.
#define MAIN_DIALOG_WIDTH 620
#define MAIN_DIALOG_HEIGHT 580
