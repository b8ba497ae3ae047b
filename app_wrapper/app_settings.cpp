#include "app_settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "app_audio.h"
#include "swell-ini.h"

AppState* gState = nullptr;
AppState* gTempState = nullptr;
AppState* gActiveState = nullptr;
char gINIPath[kINIPathSize] = "";
const char* homeDir = nullptr;

namespace
{
constexpr const char* kAppName = "Plenmora";
constexpr const char* kINIFileName = "settings.ini";

// True once gINIPath holds the full path of the settings file.
bool sINIFileUsable = false;
// See IsAudioChoiceProvisional().
bool sAudioChoiceProvisional = false;

// Limits of the values read from the file; anything outside takes the
// default, so a hand-edited file cannot break the audio engine.
constexpr int kMaxVectorSize = 8192;
constexpr long kMaxSampleRate = 1000000;
constexpr int kMaxMidiChannel = 16;

bool FileExists(const char* path)
{
  struct stat st;
  return stat(path, &st) == 0;
}

// Creates every missing folder of path (which ends with '/'), owner-only.
// Fails when a part of the path exists and is not a folder.
bool MakeFolders(const char* path)
{
  std::string partial;
  for (const char* p = path; *p; ++p)
  {
    if (*p == '/' && !partial.empty())
    {
      struct stat st;
      if (stat(partial.c_str(), &st) == 0)
      {
        if (!S_ISDIR(st.st_mode))
        {
          errno = ENOTDIR;
          return false;
        }
      }
      else if (mkdir(partial.c_str(), 0700) != 0)
        return false;
    }
    partial += *p;
  }
  return true;
}

// The base of the per-user configuration folders, or "" when there is none.
std::string ConfigBase()
{
  const char* xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  if (homeDir && homeDir[0]) return std::string(homeDir) + "/.config";
  return "";
}

// A decimal number of digits only, or -1.
long ParseUnsigned(const char* s, long max)
{
  if (!*s) return -1;
  long v = 0;
  for (; *s; ++s)
  {
    if (*s < '0' || *s > '9') return -1;
    v = v * 10 + (*s - '0');
    if (v > max) return -1;
  }
  return v;
}

bool IsPowerOfTwoVectorSize(const char* s)
{
  const long v = ParseUnsigned(s, kMaxVectorSize);
  return v > 0 && (v & (v - 1)) == 0;
}

uint16_t ReadInt(const char* section, const char* key, int def, int min, int max)
{
  const int v = GetPrivateProfileInt(section, key, def, gINIPath);
  return (uint16_t)(v < min || v > max ? def : v);
}

void ReadText(const char* section, const char* key, const char* def,
              char (&field)[kAppStateTextSize])
{
  GetPrivateProfileString(section, key, def, field, kAppStateTextSize, gINIPath);
}

// Values that the audio engine cannot use fall back to their defaults; a
// signal vector size above the IO vector size is cut to it.
void SanitiseAudioSizes(AppState* s)
{
  const AppState defaults;
  if (ParseUnsigned(s->mAudioSampleRate, kMaxSampleRate) <= 0)
    SetAppStateText(s->mAudioSampleRate, defaults.mAudioSampleRate);
  if (!IsPowerOfTwoVectorSize(s->mAudioIOVS)) SetAppStateText(s->mAudioIOVS, defaults.mAudioIOVS);
  if (!IsPowerOfTwoVectorSize(s->mAudioSigVS))
    SetAppStateText(s->mAudioSigVS, defaults.mAudioSigVS);
  if (atoi(s->mAudioSigVS) > atoi(s->mAudioIOVS)) SetAppStateText(s->mAudioSigVS, s->mAudioIOVS);
}

void ReadINI()
{
  AppState* s = gState;
  s->mAudioDriver = ReadInt("audio", "driver", 0, 0, kNumAudioDrivers - 1);
  ReadText("audio", "indev", kDefaultAudioInputDevice, s->mAudioInDevice);
  ReadText("audio", "outdev", kDefaultAudioOutputDevice, s->mAudioOutDevice);
  s->mAudioIn1 = ReadInt("audio", "in1", 1, 1, 0xffff);
  s->mAudioIn2 = ReadInt("audio", "in2", 2, 1, 0xffff);
  s->mAudioOut1 = ReadInt("audio", "out1", 1, 1, 0xffff);
  s->mAudioOut2 = ReadInt("audio", "out2", 2, 1, 0xffff);
  s->mAudioMonoInput = ReadInt("audio", "monoinput", 0, 0, 0xffff);
  ReadText("audio", "iovs", "512", s->mAudioIOVS);
  ReadText("audio", "sigvs", "32", s->mAudioSigVS);
  ReadText("audio", "sr", "44100", s->mAudioSampleRate);
  SanitiseAudioSizes(s);
  // Missing names read as names no port has; choosing the MIDI ports at
  // start-up turns them into "off" and saves.
  ReadText("midi", "indev", kMidiInputUnset, s->mMidiInDevice);
  ReadText("midi", "outdev", kMidiOutputUnset, s->mMidiOutDevice);
  s->mMidiInChannel = ReadInt("midi", "inchan", 0, 0, kMaxMidiChannel);
  s->mMidiOutChannel = ReadInt("midi", "outchan", 0, 0, kMaxMidiChannel);
  sAudioChoiceProvisional = ReadInt("audio", "provisional", 0, 0, 1) != 0;
}

void ResetRecord(AppState*& record)
{
  if (record)
    *record = AppState();
  else
    record = new AppState();
}
} // namespace

AppState::AppState()
    : mAudioDriver(0), mAudioIn1(1), mAudioIn2(2), mAudioOut1(1), mAudioOut2(2), mAudioMonoInput(0),
      mMidiInChannel(0), mMidiOutChannel(0)
{
  SetAppStateText(mAudioInDevice, kDefaultAudioInputDevice);
  SetAppStateText(mAudioOutDevice, kDefaultAudioOutputDevice);
  SetAppStateText(mAudioSampleRate, "44100");
  SetAppStateText(mAudioIOVS, "512");
  SetAppStateText(mAudioSigVS, "32");
  SetAppStateText(mMidiInDevice, "off");
  SetAppStateText(mMidiOutDevice, "off");
}

void SetAppStateText(char (&field)[kAppStateTextSize], const char* text)
{
  snprintf(field, kAppStateTextSize, "%s", text ? text : "");
}

bool LoadSettings()
{
  // The records keep their addresses when loaded again: the plug-in may hold
  // a pointer into gState.
  ResetRecord(gState);
  ResetRecord(gTempState);
  ResetRecord(gActiveState);
  sINIFileUsable = false;
  // Nothing read yet: the defaults are no choice.
  sAudioChoiceProvisional = true;
  gINIPath[0] = 0;

  homeDir = getenv("HOME");
  const std::string base = ConfigBase();
  if (base.empty())
  {
    printf("no home folder (HOME is not set): settings are not read or saved\n");
    return true;
  }
  const std::string folder = base + "/" + kAppName + "/";
  if (folder.size() + strlen(kINIFileName) >= kINIPathSize)
  {
    printf("settings folder path too long (%s): settings are not read or saved\n", folder.c_str());
    return true;
  }
  snprintf(gINIPath, kINIPathSize, "%s", folder.c_str());

  if (!FileExists(gINIPath))
  {
    // Owner-only: nobody else may replace the settings or plant links where
    // the settings file is rewritten. The umask is cleared meanwhile, so the
    // folders get exactly that mode.
    const mode_t oldMask = umask(0);
    const bool made = MakeFolders(gINIPath);
    umask(oldMask);
    if (!made)
    {
      printf("couldn't create the settings folder %s: %s\n", gINIPath, strerror(errno));
      return false;
    }
    strcat(gINIPath, kINIFileName);
    sINIFileUsable = true;
    UpdateINI();
    return true;
  }

  strcat(gINIPath, kINIFileName);
  sINIFileUsable = true;
  if (FileExists(gINIPath)) ReadINI();
  UpdateINI();
  return true;
}

void DeleteSettings()
{
  delete gState;
  delete gTempState;
  delete gActiveState;
  gState = gTempState = gActiveState = nullptr;
}

bool IsAudioChoiceProvisional() { return sAudioChoiceProvisional; }

void SetAudioChoiceProvisional(bool provisional) { sAudioChoiceProvisional = provisional; }

bool UpdateINI()
{
  if (!sINIFileUsable || !gState) return true;
  const AppState* s = gState;
  char num[16];
  bool ok = true;
  auto writeText = [&](const char* section, const char* key, const char* value)
  { ok = WritePrivateProfileString(section, key, value, gINIPath) && ok; };
  auto writeNum = [&](const char* section, const char* key, unsigned value)
  {
    snprintf(num, sizeof(num), "%u", value);
    writeText(section, key, num);
  };
  writeNum("audio", "driver", s->mAudioDriver);
  writeText("audio", "indev", s->mAudioInDevice);
  writeText("audio", "outdev", s->mAudioOutDevice);
  writeNum("audio", "in1", s->mAudioIn1);
  writeNum("audio", "in2", s->mAudioIn2);
  writeNum("audio", "out1", s->mAudioOut1);
  writeNum("audio", "out2", s->mAudioOut2);
  writeNum("audio", "monoinput", s->mAudioMonoInput);
  writeText("audio", "iovs", s->mAudioIOVS);
  writeText("audio", "sigvs", s->mAudioSigVS);
  writeText("audio", "sr", s->mAudioSampleRate);
  // Only while the settings are a guess; a null value takes the key out.
  writeText("audio", "provisional", sAudioChoiceProvisional ? "1" : nullptr);
  writeText("midi", "indev", s->mMidiInDevice);
  writeText("midi", "outdev", s->mMidiOutDevice);
  writeNum("midi", "inchan", s->mMidiInChannel);
  writeNum("midi", "outchan", s->mMidiOutChannel);
  if (!ok) printf("couldn't write all settings to %s\n", gINIPath);
  return ok;
}

bool AudioSettingsInStateAreEqual(const AppState* a, const AppState* b)
{
  return a->mAudioDriver == b->mAudioDriver && !strcmp(a->mAudioInDevice, b->mAudioInDevice) &&
         !strcmp(a->mAudioOutDevice, b->mAudioOutDevice) &&
         !strcmp(a->mAudioSampleRate, b->mAudioSampleRate) &&
         !strcmp(a->mAudioIOVS, b->mAudioIOVS) && !strcmp(a->mAudioSigVS, b->mAudioSigVS) &&
         a->mAudioIn1 == b->mAudioIn1 && a->mAudioIn2 == b->mAudioIn2 &&
         a->mAudioOut1 == b->mAudioOut1 && a->mAudioOut2 == b->mAudioOut2 &&
         a->mAudioMonoInput == b->mAudioMonoInput;
}

bool MIDISettingsInStateAreEqual(const AppState* a, const AppState* b)
{
  return !strcmp(a->mMidiInDevice, b->mMidiInDevice) &&
         !strcmp(a->mMidiOutDevice, b->mMidiOutDevice) && a->mMidiInChannel == b->mMidiInChannel &&
         a->mMidiOutChannel == b->mMidiOutChannel;
}

bool AllSettingsInStateAreEqual(const AppState* a, const AppState* b)
{
  return AudioSettingsInStateAreEqual(a, b) && MIDISettingsInStateAreEqual(a, b);
}
