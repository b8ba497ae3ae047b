// A test hook: when the environment variable PLENMORA_TEST_SCRIPT names a
// file, the application plays that file's steps back on a timer of the main
// window, the way a user would drive the menus and dialogs, and prints what
// the dialogs show. Without the variable nothing happens.
#pragma once

// Called once the main window exists.
void StartTestScriptIfRequested();

class LICE_IBitmap;

// The frame that each level meter shows in picture (the editor's back buffer
// or a screenshot of it), given the meters' strip: input left and right, then
// output left and right; -1 where a meter shows none. The search for each
// starts at its frame in hint.
void MeterFramesShown(LICE_IBitmap* picture, LICE_IBitmap* strip, const int hint[4], int frames[4]);
