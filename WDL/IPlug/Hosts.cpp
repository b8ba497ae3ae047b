#include "Hosts.h"

#include <strings.h>

EHost LookUpHost(const char* name)
{
  if (name && !strcasecmp(name, "standalone")) return kHostStandalone;
  return kHostUnknown;
}
