// MIDI input and output: the RtMidi objects, the lists of choices and the
// input callback that hands messages to the plug-in.
//
// A MIDI object exists only while its side has a port open (a system port or
// the virtual one): with both sides "off" the program keeps no MIDI client,
// so a JACK server wakes none of its threads. The back end follows the audio
// driver: JACK MIDI with the JACK driver, the ALSA sequencer otherwise.
#pragma once

#include <string>
#include <vector>

#include <RtMidi.h>

extern RtMidiIn* gMidiIn;   // null while the input is off
extern RtMidiOut* gMidiOut; // null while the output is off; the plug-in sends through it
// "off", "virtual input", then every input port; "off", "virtual output",
// then every output port. Just "off" on each side while MIDI is unavailable.
extern std::vector<std::string> gMIDIInputDevNames;
extern std::vector<std::string> gMIDIOutputDevNames;

// Rebuilds both lists of choices from the ports there are now, with objects
// made for the listing and deleted after it. Returns whether MIDI is
// available (a JACK server answers, or the ALSA sequencer exists).
bool ProbeMidiIO();
// Whether the last ProbeMidiIO found MIDI available.
bool MidiAvailable();
// Close the side and open the chosen port, making or deleting the side's
// object as needed; an unknown name becomes "off" in gState and is saved.
// While MIDI is out of reach a port name is kept for when it is back, but a
// name that no port has ("no input", "no output", empty) becomes "off" and is
// saved. False when the port could not be opened (the error is printed, the
// name kept, and the side is off).
bool ChooseMidiInput(const char* name);
bool ChooseMidiOutput(const char* name);
// Makes the objects anew for the ports of gState when the back end changed
// (the audio driver did) or their JACK server went away since they were
// made; leaves working objects alone.
void RefreshMidi();
// The input callback.
void MIDICallback(double deltatime, std::vector<unsigned char>* message, void* userData);

// Shut-down: closes both sides and deletes their objects.
void CloseMidi();
