#include "tests/support/message_box_probe.h"

#include <cstring>

#include "base/win_handles.h"

namespace {

struct Search {
    DWORD processId;
    int controlId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if ((search->processId != 0 && owner != search->processId) || !IsWindowVisible(window) ||
        std::strcmp(className, "#32770") != 0 || GetDlgItem(window, search->controlId) == nullptr ||
        (search->caption != nullptr && WindowText(window) != search->caption))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string WindowText(HWND window) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return text;
}

HWND FindDialog(DWORD processId, int controlId, const char* caption) {
    Search search = {processId, controlId, caption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SeenMessageBox AnswerMessageBox(DWORD processId, DWORD timeoutMs) {
    // A message box is a dialog with its text in the static control 0xFFFF; other dialogs of
    // the process (a progress window) are not answered.
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindDialog(processId, 0xFFFF)) != nullptr; }, timeoutMs))
        return {};
    SeenMessageBox seen = {true, WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    // Gone before the next search, which would find it again.
    WaitUntil([&] { return !IsWindow(box); }, 5000);
    return seen;
}

bool StartProgram(const std::string& commandLine, PROCESS_INFORMATION* started) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Wine refuses now and then to start a program that a process which has just ended wrote
    // (setupkit.exe its setup.exe, an install the shared uninstaller): a user would start it
    // again, and so does the test, for up to five seconds.
    for (int tries = 0; tries <= 50; ++tries, Sleep(100)) {
        std::string line = commandLine;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, started))
            return true;
    }
    return false;
}

bool WaitAnsweringMessageBoxes(HANDLE process, DWORD processId, DWORD timeoutMs,
                               std::vector<SeenMessageBox>* boxes, DWORD* exitCode) {
    const bool ended = WaitUntil(
        [&] {
            if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
                return true;
            SeenMessageBox box = AnswerMessageBox(processId, 50);
            if (box.found)
                boxes->push_back(box);
            return false;
        },
        timeoutMs);
    if (!ended)
        TerminateProcess(process, 99);
    return ended && GetExitCodeProcess(process, exitCode);
}

ProgramRun RunAnsweringMessageBoxes(const std::string& commandLine, DWORD timeoutMs) {
    ProgramRun run;
    PROCESS_INFORMATION process = {};
    run.started = StartProgram(commandLine, &process);
    if (!run.started)
        return run;
    ClKernelHandle thread(process.hThread), child(process.hProcess);
    run.exited = WaitAnsweringMessageBoxes(process.hProcess, process.dwProcessId, timeoutMs,
                                           &run.boxes, &run.exitCode);
    return run;
}
