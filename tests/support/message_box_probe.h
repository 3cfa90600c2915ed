// Finds the windows of a process (or of this process), reads them and answers message boxes
// with OK: the way a test sees what the user would see. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SeenMessageBox {
    bool found = false;
    std::string caption;  // code page 932 bytes
    std::string text;     // code page 932 bytes
};

// Waits until done() holds, for up to timeoutMs; its last answer.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs = 20000) {
    for (DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(30);
    }
    return true;
}

// The text of a window of any process (code page 932); a hung program does not block the test.
std::string WindowText(HWND window);
// The first visible dialog-class top-level window of processId (0: of any process) that holds a
// control controlId and, unless caption is null, has that caption (code page 932); null if none.
HWND FindDialog(DWORD processId, int controlId, const char* caption = nullptr);

// Waits up to timeoutMs for a message box of processId, reads its caption and text, and closes
// it with OK.
SeenMessageBox AnswerMessageBox(DWORD processId, DWORD timeoutMs);

// Starts commandLine; false if it could not be started.
bool StartProgram(const std::string& commandLine, PROCESS_INFORMATION* started);
// Waits up to timeoutMs for process (of id processId) to end, answering its message boxes and
// adding them to *boxes; one still running then is ended. true when it ended by itself, its exit
// code in *exitCode.
bool WaitAnsweringMessageBoxes(HANDLE process, DWORD processId, DWORD timeoutMs,
                               std::vector<SeenMessageBox>* boxes, DWORD* exitCode);

// The result of running a program with a command line to its end, answering each message box
// that appears on the way.
struct ProgramRun {
    bool started = false;
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<SeenMessageBox> boxes;
};
ProgramRun RunAnsweringMessageBoxes(const std::string& commandLine, DWORD timeoutMs);
