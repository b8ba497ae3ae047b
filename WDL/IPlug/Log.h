// Tracing. The framework calls Trace at interesting points; in this program
// tracing is switched off and Trace writes nothing.
#pragma once

void Trace(const char* funcName, int line, const char* format, ...);

#define TRACE Trace(__FUNCTION__, __LINE__, "")
