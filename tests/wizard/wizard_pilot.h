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

// The sheet's buttons besides IDCANCEL.
constexpr int kBack = 0x3023;
constexpr int kNext = 0x3024;
constexpr int kFinish = 0x3025;

// One item of a tree view in another process.
struct STreeItem {
    HTREEITEM item = nullptr;
    std::string text;  // code page 932
    int image = -1;
};

// SendMessage to a window of another process; 0 when it does not answer within 5 seconds.
LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Clicks the button id of a dialog without waiting for what the click opens.
void Press(HWND dialog, int id);
// Clicks the button id of a dialog and waits until the dialog is gone; false if it stays.
bool PressToClose(HWND dialog, int id);

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
    // The pages that follow the mode page's choice: how many the sheet holds.
    int PageCount();

    bool SheetButtonEnabled(int id);
    void PressSheetButton(int id) { Press(sheet, id); }
    // Next, then waits for the page named next.
    bool Next(const std::string& next);
    // A control of the current page.
    HWND Control(int id) { return GetDlgItem(Page(), id); }
    std::string Text(int id) { return WindowText(Control(id)); }
    bool Visible(int id) { return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) { return IsWindowEnabled(Control(id)) != 0; }
    bool Checked(int id) { return Ask(Control(id), BM_GETCHECK) == BST_CHECKED; }
    void Click(int id) { Press(Page(), id); }
    std::string Caption() { return WindowText(sheet); }

    // Waits for the program's end, answering and keeping message boxes; its exit code, or
    // -1 when it did not end in time (it is then ended).
    long WaitForExit(DWORD timeoutMs = 60000);
    // Waits for the next message box, answers it with OK and keeps it.
    SeenMessageBox AnswerBox(DWORD timeoutMs = 20000);
    // A top-level dialog of the program with a control of id (the folder browser:
    // IDC_FOLDER_TREE; the create-folder dialog: IDC_FOLDER_NAME), waiting for it up to
    // timeoutMs; null if none came.
    HWND WaitForDialog(int controlId, DWORD timeoutMs = 20000);
    // Clicks the page's button and waits for the dialog it opens, known by controlId.
    HWND OpenDialog(int button, int controlId) {
        Click(button);
        return WaitForDialog(controlId);
    }
    // Clicks the browser's make-folder button and types name into the dialog that opens; that
    // dialog, its OK not yet pressed.
    HWND TypeNewFolder(HWND browser, const std::string& name);

    // Tree views of the program.
    std::vector<STreeItem> Children(HWND tree, HTREEITEM parent);
    STreeItem Item(HWND tree, HTREEITEM item);
    HTREEITEM Selected(HWND tree) {
        return reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET));
    }
    // The child of parent whose text is text (code page 932), or null.
    HTREEITEM Find(HWND tree, HTREEITEM parent, const std::string& text);
    void Select(HWND tree, HTREEITEM item);
    // Presses and releases the mouse on the item's image.
    void ClickImage(HWND tree, HTREEITEM item);

    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND sheet = nullptr;
    std::vector<SeenMessageBox> boxes;

  private:
    bool Running() { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }
};

// The process of the first wizard whose caption is caption (code page 932), waiting for it up
// to timeoutMs; 0 if none came.
DWORD FindWizardProcess(const std::string& caption, DWORD timeoutMs = 30000);
