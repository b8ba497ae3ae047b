#include "Log.h"

void Trace(const char*, int, const char*, ...) {}
