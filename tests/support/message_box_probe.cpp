#include "tests/support/message_box_probe.h"

#include <cstring>
#include "base/win_handles.h"

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    // A message box is a dialog with its text in the static control 0xFFFF; other dialogs of
    // the process (a progress window) are not answered.
    if (owner == search->processId && IsWindowVisible(window) &&
        std::string(className) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace

SeenMessageBox AnswerMessageBox(DWORD processId, DWORD timeoutMs) {
    SeenMessageBox seen;
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        Search search = {processId, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seen.found = true;
            seen.caption = WindowText(search.found);
            seen.text = WindowText(GetDlgItem(search.found, 0xFFFF));
            PostMessageA(search.found, WM_COMMAND, IDOK, 0);
            // Wait until the box is gone, so that the next search does not find it again.
            for (DWORD gone = 0; gone < 5000 && IsWindow(search.found); gone += 20)
                Sleep(20);
            return seen;
        }
        Sleep(50);
    }
    return seen;
}

ProgramRun RunAnsweringMessageBoxes(const std::string& commandLine, DWORD timeoutMs) {
    ProgramRun run;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return run;
    run.started = true;
    ClKernelHandle thread(process.hThread), child(process.hProcess);
    DWORD waited = 0;
    while (waited < timeoutMs) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
            break;
        waited += 100;
        SeenMessageBox box = AnswerMessageBox(process.dwProcessId, 100);
        if (box.found)
            run.boxes.push_back(box);
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
        run.exited = true;
        GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    return run;
}
