// The host's settings record and its profile file "settings.ini".
//
// The current settings live in gState; gTempState is the copy taken when the
// preferences dialog opens (Cancel restores it) and gActiveState the copy
// taken each time the audio stream opened. All three are made by
// LoadSettings() and deleted by DeleteSettings(); gState keeps one address
// for the whole run, because the plug-in reads the MIDI output channel
// through a pointer into it.
#pragma once

#include <cstddef>
#include <cstdint>

// Room of each text field, terminator included.
constexpr size_t kAppStateTextSize = 100;

struct AppState
{
  uint16_t mAudioDriver;                    // [audio] driver: index into kAudioDriverNames
  char mAudioInDevice[kAppStateTextSize];   // [audio] indev
  char mAudioOutDevice[kAppStateTextSize];  // [audio] outdev
  char mAudioSampleRate[kAppStateTextSize]; // [audio] sr, decimal text
  char mAudioIOVS[kAppStateTextSize];       // [audio] iovs: frames per device buffer
  char mAudioSigVS[kAppStateTextSize];      // [audio] sigvs: frames per plug-in block
  uint16_t mAudioIn1;                       // [audio] in1, counted from 1
  uint16_t mAudioIn2;                       // [audio] in2
  uint16_t mAudioOut1;                      // [audio] out1, counted from 1
  uint16_t mAudioOut2;                      // [audio] out2
  uint16_t mAudioMonoInput;                 // [audio] monoinput: 1 = first input feeds both sides
  char mMidiInDevice[kAppStateTextSize];    // [midi] indev: "off", "virtual input" or a port
  char mMidiOutDevice[kAppStateTextSize];   // [midi] outdev: "off", "virtual output" or a port
  uint16_t mMidiInChannel;                  // [midi] inchan: 0 all, 1..16 one channel
  uint16_t mMidiOutChannel;                 // [midi] outchan: 0 as sent, 1..16 forced

  AppState(); // every field at its default
};

// Defaults of the record (and of missing keys, except the MIDI names).
constexpr const char* kDefaultAudioInputDevice = "system";
constexpr const char* kDefaultAudioOutputDevice = "system";
// What a missing [midi] "indev" or "outdev" reads as: names that no port has.
constexpr const char* kMidiInputUnset = "no input";
constexpr const char* kMidiOutputUnset = "no output";

extern AppState* gState;
extern AppState* gTempState;
extern AppState* gActiveState;

// Size of gINIPath, terminator included.
constexpr size_t kINIPathSize = 200;
// The settings folder, then the full path of "settings.ini"; empty when no
// settings file can be used (no home folder, path too long).
extern char gINIPath[kINIPathSize];
// The HOME variable as taken at load (null when unset).
extern const char* homeDir;

// The load step of the application: makes the three records, finds or
// creates the settings folder ($XDG_CONFIG_HOME or ~/.config, then
// "Plenmora"), reads "settings.ini" when it exists and writes it back.
// Returns false only when the settings folder could not be created (the
// application then runs on the defaults and saves nothing).
bool LoadSettings();
// Deletes the three records (shut-down).
void DeleteSettings();

// Writes every field of gState to "settings.ini"; false (and a line on
// standard output) when the file could not be written. Does nothing when
// there is no usable settings file.
bool UpdateINI();

// Whether the stored audio settings are only the program's own guess: made
// at a start with no settings file, no stream has opened with them since and
// the user has not pressed OK or Apply in the preferences. The file says so
// with [audio] "provisional=1" (a file without that key holds a choice).
// While so, each start chooses the driver and devices again.
bool IsAudioChoiceProvisional();
// Marks the audio settings as a guess or as a choice; the file follows with
// the next UpdateINI().
void SetAudioChoiceProvisional(bool provisional);

// Equality of the audio fields, of the MIDI fields, and of the whole record;
// text fields compare as strings.
bool AudioSettingsInStateAreEqual(const AppState* a, const AppState* b);
bool MIDISettingsInStateAreEqual(const AppState* a, const AppState* b);
bool AllSettingsInStateAreEqual(const AppState* a, const AppState* b);

// Copies text into a record's text field, cut to 99 characters.
void SetAppStateText(char (&field)[kAppStateTextSize], const char* text);
