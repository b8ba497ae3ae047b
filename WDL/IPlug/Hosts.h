// Host identification: the code of a host application found by its name.
#pragma once

enum EHost
{
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostStandalone
};

// The host code for a host name (case-insensitive); kHostUnknown for a name
// we do not know.
EHost LookUpHost(const char* name);
