// Driving a real setup.exe from the test process the way a user would: its windows are found
// by class and control ids, read with the messages that other processes may send, and buttons
// are pressed with posted clicks, so that a message box that a click opens never blocks the
// test. Windows only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/support/message_box_probe.h"

// A block of memory in another process, for the control messages that carry pointers.
class CRemoteBuffer {
  public:
    CRemoteBuffer(HANDLE process, std::size_t size);
    ~CRemoteBuffer();
    CRemoteBuffer(const CRemoteBuffer&) = delete;
    CRemoteBuffer& operator=(const CRemoteBuffer&) = delete;
    void Write(const void* data, std::size_t size, std::size_t offset = 0);
    void Read(void* data, std::size_t size, std::size_t offset = 0);
    LPARAM At(std::size_t offset = 0) const;

  private:
    HANDLE process_;
    void* address_;
};

// One item of a tree view in another process.
struct STreeItem {
    HTREEITEM item = nullptr;
    std::string text;  // code page 932
    int image = -1;
};

class CWizardPilot {
  public:
    // Starts commandLine (a setup executable and its arguments).
    explicit CWizardPilot(const std::string& commandLine);
    // Follows the wizard of a program that another one started (processId); the pilot
    // neither waits for it nor ends it beyond its own calls.
    explicit CWizardPilot(DWORD processId);
    // Ends the program if it still runs.
    ~CWizardPilot();
    CWizardPilot(const CWizardPilot&) = delete;
    CWizardPilot& operator=(const CWizardPilot&) = delete;

    // Waits for the wizard window, answering message boxes meanwhile (they are kept in
    // boxes). false when the program ended first or the time ran out.
    bool WaitForSheet(DWORD timeoutMs = 30000);
    // The current page's name: "warning", "licence", "mode", "items", "dest", "start",
    // "progress", "finish"; "" when there is none.
    std::string PageName();
    HWND Page();
    // Waits until the page named name is current; false when the time runs out.
    bool WaitForPage(const std::string& name, DWORD timeoutMs = 30000);
    // The pages that follow the mode page's choice: how many the sheet holds.
    int PageCount();

    // The sheet's buttons (ID_PSBACK 0x3023, ID_PSNEXT 0x3024, ID_PSFINISH 0x3025, IDCANCEL).
    bool SheetButtonEnabled(int id);
    void PressSheetButton(int id);
    // Next, then waits for the page named next.
    bool Next(const std::string& next);
    // A control of the current page.
    HWND Control(int id);
    std::string Text(int id);
    bool Visible(int id);
    bool Enabled(int id);
    bool Checked(int id);
    void Click(int id);
    std::string Caption();

    // Waits for the program's end, answering and keeping message boxes; its exit code, or
    // -1 when it did not end in time (it is then ended).
    long WaitForExit(DWORD timeoutMs = 60000);
    // Waits for the next message box, answers it with OK and keeps it.
    SeenMessageBox AnswerBox(DWORD timeoutMs = 20000);
    // A top-level dialog of the program with a control of id (the folder browser: 1012; the
    // create-folder dialog: 1013), waiting for it up to timeoutMs; null if none came.
    HWND WaitForDialog(int controlId, DWORD timeoutMs = 20000);

    // Tree views of the program.
    std::vector<STreeItem> Children(HWND tree, HTREEITEM parent);
    STreeItem Item(HWND tree, HTREEITEM item);
    HTREEITEM Selected(HWND tree);
    // The child of parent whose text is text (code page 932), or null.
    HTREEITEM Find(HWND tree, HTREEITEM parent, const std::string& text);
    void Select(HWND tree, HTREEITEM item);
    // Presses and releases the mouse on the item's image.
    void ClickImage(HWND tree, HTREEITEM item);
    bool Expanded(HWND tree, HTREEITEM item);

    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND sheet = nullptr;
    std::vector<SeenMessageBox> boxes;

  private:
    bool Running();
};

// The process of the first wizard whose caption is caption (code page 932), waiting for it up
// to timeoutMs; 0 if none came.
DWORD FindWizardProcess(const std::string& caption, DWORD timeoutMs = 30000);

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
