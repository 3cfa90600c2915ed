// The setup driver: start-up order, run modes and the end of the run.
#pragma once

#include <windows.h>

// Performs the whole run; 0 always.
int RunSetup(HINSTANCE instance, HINSTANCE previous, const char* commandTail, int showCommand);
