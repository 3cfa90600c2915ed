#include "tests/wizard/wizard_pilot.h"

#include <prsht.h>

#include <cstddef>
#include <cstring>

#include "resources/install_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"

namespace {

// The pages, each known by a control only it has.
struct PageMark {
    const char* name;
    int controlId;
};
constexpr PageMark kPages[] = {
    {"warning", IDC_WARNING_TEXT},     {"licence", IDC_AGREE},      {"mode", IDC_MODE_CUSTOM},
    {"items", IDC_ITEMS_TREE_PLACE},   {"dest", IDC_DEST_FOLDER},   {"start", IDC_START_TEXT},
    {"progress", IDC_PROGRESS_MIDDLE}, {"finish", IDC_FINISH_TEXT},
};

// Sends msg to a control of process with lParam pointing at a copy of *data in the process's
// memory, and reads the copy back: the control messages that carry pointers. point(copy) may
// point fields of *data into the copy before it is written.
template <typename T, typename Point>
LRESULT AskThroughMemory(HANDLE process, HWND control, UINT msg, WPARAM wParam, T* data,
                         Point point) {
    char* copy = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(T), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    point(copy);
    WriteProcessMemory(process, copy, data, sizeof(T), nullptr);
    const LRESULT result = Ask(control, msg, wParam, reinterpret_cast<LPARAM>(copy));
    ReadProcessMemory(process, copy, data, sizeof(T), nullptr);
    VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    return result;
}

struct STextItem {
    TVITEMA item;
    char text[520];
};

}  // namespace

LRESULT Ask(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

void Press(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool PressToClose(HWND dialog, int id) {
    Press(dialog, id);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

DWORD FindWizardProcess(const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(0, kNext, caption.c_str())) != nullptr; },
              timeoutMs);
    DWORD processId = 0;
    if (found != nullptr)
        GetWindowThreadProcessId(found, &processId);
    return processId;
}

CWizardPilot::CWizardPilot(const std::string& commandLine) {
    PROCESS_INFORMATION created = {};
    if (!StartProgram(commandLine, &created))
        return;
    CloseHandle(created.hThread);
    process = created.hProcess;
    processId = created.dwProcessId;
}

CWizardPilot::CWizardPilot(DWORD id)
    : process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id)), processId(id) {}

CWizardPilot::~CWizardPilot() {
    if (process == nullptr)
        return;
    if (Running())
        TerminateProcess(process, 99);
    CloseHandle(process);
}

SeenMessageBox CWizardPilot::AnswerBox(DWORD timeoutMs) {
    SeenMessageBox box = AnswerMessageBox(processId, timeoutMs);
    if (box.found)
        boxes.push_back(box);
    return box;
}

bool CWizardPilot::WaitForSheet(DWORD timeoutMs) {
    return WaitUntil(
               [&] {
                   sheet = FindDialog(processId, kNext);
                   if (sheet == nullptr && Running())
                       AnswerBox(50);
                   return sheet != nullptr || !Running();
               },
               timeoutMs) &&
           sheet != nullptr;
}

HWND CWizardPilot::Page() {
    return reinterpret_cast<HWND>(Ask(sheet, PSM_GETCURRENTPAGEHWND));
}

std::string CWizardPilot::PageName() {
    HWND page = Page();
    if (page == nullptr)
        return "";
    for (const PageMark& mark : kPages) {
        if (GetDlgItem(page, mark.controlId) != nullptr)
            return mark.name;
    }
    return "?";
}

int CWizardPilot::PageCount() {
    return static_cast<int>(
        Ask(reinterpret_cast<HWND>(Ask(sheet, PSM_GETTABCONTROL)), TCM_GETITEMCOUNT));
}

bool CWizardPilot::SheetButtonEnabled(int id) {
    HWND button = GetDlgItem(sheet, id);
    return button != nullptr && IsWindowVisible(button) && IsWindowEnabled(button);
}

bool CWizardPilot::Next(const std::string& next) {
    HWND before = Page();
    PressSheetButton(kNext);
    return WaitUntil([&] { return Page() != before && PageName() == next; });
}

long CWizardPilot::WaitForExit(DWORD timeoutMs) {
    DWORD code = 0;
    return WaitAnsweringMessageBoxes(process, processId, timeoutMs, &boxes, &code)
               ? static_cast<long>(code)
               : -1;
}

HWND CWizardPilot::WaitForDialog(int controlId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, controlId)) != nullptr; }, timeoutMs);
    return found;
}

HWND CWizardPilot::TypeNewFolder(HWND browser, const std::string& name) {
    Press(browser, IDC_MAKE_FOLDER);
    HWND ask = WaitForDialog(IDC_FOLDER_NAME);
    SendMessageA(GetDlgItem(ask, IDC_FOLDER_NAME), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(name.c_str()));
    return ask;
}

STreeItem CWizardPilot::Item(HWND tree, HTREEITEM item) {
    STextItem read = {};
    read.item.mask = TVIF_TEXT | TVIF_IMAGE;
    read.item.hItem = item;
    read.item.cchTextMax = sizeof read.text - 1;
    if (!AskThroughMemory(process, tree, TVM_GETITEMA, 0, &read, [&](char* copy) {
            read.item.pszText = copy + offsetof(STextItem, text);
        }))
        return {item};
    return {item, read.text, read.item.iImage};
}

std::vector<STreeItem> CWizardPilot::Children(HWND tree, HTREEITEM parent) {
    std::vector<STreeItem> children;
    LRESULT child = Ask(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                        reinterpret_cast<LPARAM>(parent));
    for (; child != 0; child = Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, child))
        children.push_back(Item(tree, reinterpret_cast<HTREEITEM>(child)));
    return children;
}

HTREEITEM CWizardPilot::Find(HWND tree, HTREEITEM parent, const std::string& text) {
    for (const STreeItem& child : Children(tree, parent)) {
        if (child.text == text)
            return child.item;
    }
    return nullptr;
}

void CWizardPilot::Select(HWND tree, HTREEITEM item) {
    PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    WaitUntil([&] { return Selected(tree) == item; }, 5000);
}

void CWizardPilot::ClickImage(HWND tree, HTREEITEM item) {
    // Only an item that is shown has a place; TVM_GETITEMRECT takes the item in the rectangle
    // it fills.
    Ask(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item);
    AskThroughMemory(process, tree, TVM_GETITEMRECT, TRUE, &rect, [](char*) {});
    // The image lies just left of the text.
    LPARAM point = MAKELPARAM(rect.left - 10, (rect.top + rect.bottom) / 2);
    Ask(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Ask(tree, WM_LBUTTONUP, 0, point);
}
