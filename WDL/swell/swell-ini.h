// Profile files: "[section]" lines and "key=value" lines.
//
// Reading: a key's value is trimmed of blanks and of one pair of enclosing
// quotes; sections and keys match without regard to case. Writing rewrites the
// whole file, sections and keys sorted without regard to case, only when a
// value really changes, through a temporary file in the same folder that then
// replaces the file, so the old file is intact until the new one is complete.
#pragma once

#include "swell-types.h"

// Copies the value of key in section (or the default, or "" for a null
// default, when the key is missing) into buffer, truncated to size - 1 bytes
// and terminated. Returns the number of bytes copied.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* def, char* buffer,
                              DWORD size, const char* file);

// The key's value as a decimal integer; the default when the key is missing
// or its value reads as 0 without beginning with '0'.
int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file);

// Sets key in section to value and rewrites the file when that changes it. A
// null value removes the key; a null key removes the whole section. Returns
// FALSE, leaving the file as it was, when the file cannot be written or a
// name or value cannot be stored (a line break in any of them, '=' in a key,
// ']' in a section, or an empty section or key name).
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file);
