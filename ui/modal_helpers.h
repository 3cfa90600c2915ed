// The two free helpers of the modal loop.
#pragma once

#include <windows.h>

// The window at which the walk up the parent chain of hwnd stops: the first popup window
// (WS_POPUP set or style 0), or the top of the chain. Null for null.
HWND GetTopLevelWindow(HWND hwnd);

// Dispatches the messages waiting in the queue. 1 when the queue is empty; 0 when a WM_QUIT is
// next (it stays in the queue).
BOOL PumpPendingMessages();
