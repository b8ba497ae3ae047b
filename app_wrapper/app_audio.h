// The audio engine: the RtAudio driver object, the device lists, the one
// duplex stereo stream and its callback that runs the plug-in.
#pragma once

#include <string>
#include <vector>

#include <RtAudio.h>

// The audio drivers, numbered as AppState::mAudioDriver counts them.
constexpr int kNumAudioDrivers = 3;
extern const char* const kAudioDriverNames[kNumAudioDrivers]; // "JACK", "PulseAudio", "ALSA"

extern RtAudio* gDAC;                              // null when the driver choice is unusable
extern std::vector<std::string> gAudioIDDevNames;  // every device's name, by RtAudio index
extern std::vector<unsigned int> gAudioInputDevs;  // indexes of probed devices with inputs
extern std::vector<unsigned int> gAudioOutputDevs; // indexes of probed devices with outputs
// What the probe learnt of every device, by RtAudio index: the dialog reads
// channels and rates from here instead of asking the driver again.
extern std::vector<RtAudio::DeviceInfo> gAudioDeviceInfos;

extern unsigned int gIOVS; // frames per device buffer (as granted)
extern int gSigVS;         // frames per plug-in block
extern unsigned int gBufIndex;
extern unsigned int gVecElapsed; // callbacks since the stream was opened
extern double gFadeMult;

// Deletes the driver object (closing its stream) and makes the one that
// gState->mAudioDriver names. Returns whether there is one.
bool TryToChangeAudioDriverType();
// Rebuilds the device lists from the driver (which, for JACK, opens one
// short-lived client to count and one per device).
void ProbeAudioIO();
// A device name as listed: the part after its last ": ", if any.
std::string ShortAudioDeviceName(const std::string& name);
// Information of device index from the last probe; null out of range.
const RtAudio::DeviceInfo* GetAudioDeviceInfo(int idx);
// Name of device index (empty out of range), and the index of a name (-1).
std::string GetAudioDeviceName(int idx);
int GetAudioDeviceID(const char* deviceName);
// Opens the stream that gState describes; false (the running stream left
// alone, nothing printed) when a device name is not present. A stored sample
// rate that the two devices do not both offer gives way to the highest one
// they do, which is stored.
bool TryToChangeAudio();
// For a start without a chosen driver: the first driver of JACK, PulseAudio
// and ALSA whose server answers with input and output devices (ALSA when
// none does), with its default devices, made current, probed and stored.
void ChooseDriverThatAnswers();
// Closes any open stream and opens and starts a new one; on success gState is
// copied into gActiveState.
bool InitialiseAudio(unsigned int inId, unsigned int outId, unsigned int sr, unsigned int iovs,
                     unsigned int chnls, unsigned int inChanL, unsigned int outChanL);
// Sets the callback's state for a new stream: gSigVS (the default 32 when
// sigVS is below 1 or above 8192), the counters and the fade, and the scratch
// block. Only while no stream runs.
void PrepareAudioCallback(int sigVS);
// The stream callback.
int AudioCallback(void* outputBuffer, void* inputBuffer, unsigned int nFrames, double streamTime,
                  RtAudioStreamStatus status, void* userData);

// How many times a stream that this host opened was closed under it by the
// audio system (the JACK server went away): JACK clients made before the
// count last grew must not be used again.
int AudioServerLosses();

// Shut-down helpers: stop the stream without playing out what is queued
// (errors printed), close it when open (stopping it first), delete the driver
// object.
void StopAudioStream();
void CloseAudioStream();
void DeleteAudioDriver();
