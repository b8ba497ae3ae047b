// MIDI input and output: the RtMidi objects, the lists of choices and the
// input callback that hands messages to the plug-in.
#pragma once

#include <string>
#include <vector>

#include <RtMidi.h>

extern RtMidiIn* gMidiIn;   // null when it could not be made
extern RtMidiOut* gMidiOut; // null when it could not be made; the plug-in sends through it
// "off", "virtual input", then every input port; "off", "virtual output",
// then every output port.
extern std::vector<std::string> gMIDIInputDevNames;
extern std::vector<std::string> gMIDIOutputDevNames;

// Makes both objects (JACK MIDI when the audio driver is JACK, the ALSA
// sequencer otherwise) and installs the input callback.
bool InitialiseMidi();
// Fills both lists of choices (once, at start-up).
void ProbeMidiIO();
// Place of a choice: 0 off, 1 virtual, n >= 2 port n - 2; -1 when unknown.
int GetMIDIInPortNumber(const char* name);
int GetMIDIOutPortNumber(const char* name);
// Close the side and open the chosen port; an unknown name becomes "off" in
// gState and is saved. False without the object or when opening failed.
bool ChooseMidiInput(const char* name);
bool ChooseMidiOutput(const char* name);
// The input callback.
void MIDICallback(double deltatime, std::vector<unsigned char>* message, void* userData);

// Shut-down helpers: cancel the callback and close the ports; delete both
// objects.
void CloseMidiPorts();
void DeleteMidi();
