#include "tests/wizard/wizard_pilot.h"

#include <prsht.h>

#include <cstring>

#include "resources/install_ids.h"
#include "resources/wizard_ids.h"

namespace {

constexpr int kNextButton = 0x3024;

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
        std::strcmp(className, "#32770") != 0 || GetDlgItem(window, search->controlId) == nullptr)
        return TRUE;
    char caption[512] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (search->caption != nullptr && std::strcmp(caption, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindDialog(DWORD processId, int controlId, const char* caption = nullptr) {
    Search search = {processId, controlId, caption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    // WM_GETTEXT crosses processes; a timeout keeps a busy program from blocking the test.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return text;
}

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

}  // namespace

CRemoteBuffer::CRemoteBuffer(HANDLE process, std::size_t size)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

CRemoteBuffer::~CRemoteBuffer() {
    if (address_ != nullptr)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void CRemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
    WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

void CRemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) {
    ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

LPARAM CRemoteBuffer::At(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
}

DWORD FindWizardProcess(const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(0, kNextButton, caption.c_str())) != nullptr; },
              timeoutMs);
    DWORD processId = 0;
    if (found != nullptr)
        GetWindowThreadProcessId(found, &processId);
    return processId;
}

CWizardPilot::CWizardPilot(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    // Wine refuses now and then to start a program that a process which has just ended wrote
    // (setupkit.exe its setup.exe, an install the shared uninstaller): a user would start it
    // again, and so does the pilot, for up to five seconds.
    for (int tries = 0;; ++tries) {
        std::string line = commandLine;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &created))
            break;
        if (tries == 50)
            return;
        Sleep(100);
    }
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

bool CWizardPilot::Running() {
    return process != nullptr && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
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
                   sheet = FindDialog(processId, kNextButton);
                   if (sheet == nullptr && Running())
                       AnswerBox(50);
                   return sheet != nullptr || !Running();
               },
               timeoutMs) &&
           sheet != nullptr;
}

HWND CWizardPilot::Page() {
    DWORD_PTR page = 0;
    SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return reinterpret_cast<HWND>(page);
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

bool CWizardPilot::WaitForPage(const std::string& name, DWORD timeoutMs) {
    return WaitUntil([&] { return PageName() == name; }, timeoutMs);
}

int CWizardPilot::PageCount() {
    DWORD_PTR tab = 0, count = 0;
    SendMessageTimeoutA(sheet, PSM_GETTABCONTROL, 0, 0, SMTO_ABORTIFHUNG, 5000, &tab);
    SendMessageTimeoutA(reinterpret_cast<HWND>(tab), TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000,
                        &count);
    return static_cast<int>(count);
}

bool CWizardPilot::SheetButtonEnabled(int id) {
    HWND button = GetDlgItem(sheet, id);
    return button != nullptr && IsWindowVisible(button) && IsWindowEnabled(button);
}

void CWizardPilot::PressSheetButton(int id) {
    PostMessageA(GetDlgItem(sheet, id), BM_CLICK, 0, 0);
}

bool CWizardPilot::Next(const std::string& next) {
    HWND before = Page();
    PressSheetButton(kNextButton);
    return WaitUntil([&] { return Page() != before && PageName() == next; });
}

HWND CWizardPilot::Control(int id) {
    return GetDlgItem(Page(), id);
}

std::string CWizardPilot::Text(int id) {
    return WindowText(Control(id));
}

std::string CWizardPilot::Caption() {
    return WindowText(sheet);
}

bool CWizardPilot::Visible(int id) {
    return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool CWizardPilot::Enabled(int id) {
    return IsWindowEnabled(Control(id)) != 0;
}

bool CWizardPilot::Checked(int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(Control(id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

void CWizardPilot::Click(int id) {
    PostMessageA(Control(id), BM_CLICK, 0, 0);
}

long CWizardPilot::WaitForExit(DWORD timeoutMs) {
    WaitUntil(
        [&] {
            if (!Running())
                return true;
            AnswerBox(50);
            return false;
        },
        timeoutMs);
    if (Running()) {
        TerminateProcess(process, 99);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
}

HWND CWizardPilot::WaitForDialog(int controlId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, controlId)) != nullptr; }, timeoutMs);
    return found;
}

STreeItem CWizardPilot::Item(HWND tree, HTREEITEM item) {
    STreeItem result;
    result.item = item;
    constexpr std::size_t kTextSize = 520;
    CRemoteBuffer remote(process, sizeof(TVITEMA) + kTextSize);
    TVITEMA query = {};
    query.mask = TVIF_TEXT | TVIF_IMAGE;
    query.hItem = item;
    query.pszText = reinterpret_cast<char*>(remote.At(sizeof(TVITEMA)));
    query.cchTextMax = kTextSize;
    remote.Write(&query, sizeof query);
    DWORD_PTR ok = 0;
    SendMessageTimeoutA(tree, TVM_GETITEMA, 0, remote.At(), SMTO_ABORTIFHUNG, 5000, &ok);
    if (!ok)
        return result;
    char text[kTextSize] = {};
    remote.Read(&query, sizeof query);
    remote.Read(text, sizeof text - 1, sizeof(TVITEMA));
    result.text = text;
    result.image = query.iImage;
    return result;
}

std::vector<STreeItem> CWizardPilot::Children(HWND tree, HTREEITEM parent) {
    std::vector<STreeItem> children;
    DWORD_PTR child = 0;
    SendMessageTimeoutA(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                        reinterpret_cast<LPARAM>(parent), SMTO_ABORTIFHUNG, 5000, &child);
    while (child != 0) {
        children.push_back(Item(tree, reinterpret_cast<HTREEITEM>(child)));
        SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(child),
                            SMTO_ABORTIFHUNG, 5000, &child);
    }
    return children;
}

HTREEITEM CWizardPilot::Selected(HWND tree) {
    DWORD_PTR item = 0;
    SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, 5000, &item);
    return reinterpret_cast<HTREEITEM>(item);
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

bool CWizardPilot::Expanded(HWND tree, HTREEITEM item) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED,
                        SMTO_ABORTIFHUNG, 5000, &state);
    return (state & TVIS_EXPANDED) != 0;
}

void CWizardPilot::ClickImage(HWND tree, HTREEITEM item) {
    // Only an item that is shown has a place; TVM_GETITEMRECT takes the item in the rectangle
    // it fills.
    DWORD_PTR done = 0;
    SendMessageTimeoutA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item),
                        SMTO_ABORTIFHUNG, 5000, &done);
    CRemoteBuffer remote(process, sizeof(RECT));
    RECT rect = {};
    remote.Write(&item, sizeof item);
    DWORD_PTR ok = 0;
    SendMessageTimeoutA(tree, TVM_GETITEMRECT, TRUE, remote.At(), SMTO_ABORTIFHUNG, 5000, &ok);
    remote.Read(&rect, sizeof rect);
    // The image lies just left of the text.
    LPARAM point = MAKELPARAM(rect.left - 10, (rect.top + rect.bottom) / 2);
    SendMessageTimeoutA(tree, WM_LBUTTONDOWN, MK_LBUTTON, point, SMTO_ABORTIFHUNG, 5000, &done);
    SendMessageTimeoutA(tree, WM_LBUTTONUP, 0, point, SMTO_ABORTIFHUNG, 5000, &done);
}
