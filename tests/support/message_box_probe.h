// Finds a message box of a process (or of this process), reads it and presses OK: the way a
// test sees what the user would see. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SeenMessageBox {
    bool found = false;
    std::string caption;  // code page 932 bytes
    std::string text;     // code page 932 bytes
};

// Waits up to timeoutMs for a dialog-class top-level window of processId, reads its caption and
// text, and closes it with OK.
SeenMessageBox AnswerMessageBox(DWORD processId, DWORD timeoutMs);

// The result of running a program with a command line to its end, answering each message box
// that appears on the way.
struct ProgramRun {
    bool started = false;
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<SeenMessageBox> boxes;
};
ProgramRun RunAnsweringMessageBoxes(const std::string& commandLine, DWORD timeoutMs);
