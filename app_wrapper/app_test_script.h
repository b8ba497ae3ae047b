// A test hook: when the environment variable PLENMORA_TEST_SCRIPT names a
// file, the application plays that file's steps back on a timer of the main
// window, the way a user would drive the menus and dialogs, and prints what
// the dialogs show. Without the variable nothing happens.
#pragma once

// Called once the main window exists.
void StartTestScriptIfRequested();
