// The application delegate: start-up, the main loop and termination.
#include "swellappmain.h"

#include "swell-wnd-internal.h"

void SWELL_TopLevelGone() {}
