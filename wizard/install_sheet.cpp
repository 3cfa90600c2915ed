#include "wizard/install_sheet.h"

#include <cstring>
#include <new>

#include "base/dbcs.h"
#include "base/messages.h"
#include "base/run_flags.h"
#include "base/shared_names.h"
#include "base/text_lines.h"
#include "install/uninstall_data_file.h"
#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "setupinfo/folder_macros.h"
#include "tree/tree.h"
#include "wizard/dest_page.h"
#include "wizard/finish_page.h"
#include "wizard/item_select_page.h"
#include "wizard/licence_page.h"
#include "wizard/mode_page.h"
#include "wizard/progress_page.h"
#include "wizard/start_page.h"
#include "wizard/warning_page.h"

namespace {

// A pending-deletion list this large asks for the restart that empties it first.
constexpr LONGLONG kLockFileLimit = 0x100000;

// The two selection bits of a component: checked on the item page.
constexpr std::uint8_t kCheckBits = COMPONENT_CUSTOM | COMPONENT_STANDARD;

const char* TextOr(const SSetupInfo* info, int number) {
    return info->texts[number] != nullptr ? info->texts[number] : "";
}

bool IsItem(const ClTreeNode* node) {
    return (node->flags & TN_KEY) && (node->flags & TN_DATA) && node->length > 0;
}

// The key of tree at the same path as node of another tree (names compared ignoring case), or
// null.
ClTreeNode* SamePathKey(ClTree* tree, ClTreeNode* node) {
    if (!(node->flags & TN_NAMED))
        return nullptr;
    ClTreeNode* parent = ClTreeNavigate(node, TN_PARENT, nullptr);
    ClTreeNode* key = nullptr;
    if (parent != nullptr && (key = SamePathKey(tree, parent)) == nullptr)
        return nullptr;
    return ClTreeFindChild(tree, key, node->name,
                           static_cast<std::uint32_t>(std::strlen(node->name)), TN_KEY);
}

}  // namespace

CInstallSheet::CInstallSheet(HINSTANCE instance, ClTree* itemTree)
    : ClPropertySheet(instance), instance_(instance), itemTree_(itemTree) {}

CInstallSheet::~CInstallSheet() {
    codec_.Release();
    installRun_.reset();
    uninstallRun_.reset();
    ClTreeDestroy(previousItems_);
    ClTreeDestroy(previousRecord_);
    for (auto& page : pages_)
        page.reset();
}

bool CInstallSheet::Uninstalling() const {
    return RunMode(runFlags) == RUN_MODE_UNINSTALL;
}

BOOL CInstallSheet::Refuse(UINT id) {
    ShowMessage(nullptr, id, IDS_CAPTION_ERROR, MB_OK);
    return FALSE;
}

BOOL CInstallSheet::Initialise(SSetupInfo* info) {
    installRun_.reset(new (std::nothrow) CInstallPageTracker(SInstallRunContext{}));
    uninstallRun_.reset(new (std::nothrow) CUninstallPageTracker(SUninstallRunContext{}));
    if (!installRun_ || !uninstallRun_ || !codec_.Initialize())
        return FALSE;
    if (!Uninstalling()) {
        info_ = info;
        choices_.Load(info);
    }
    if (!LoadEarlierInstallation(info))
        return FALSE;

    SetupInfoSetFlag(info_, PAGE_PROGRESS, 1);
    SetupInfoSetFlag(info_, PAGE_WARNING, 1);
    if (Uninstalling()) {
        for (int page :
             {PAGE_WARNING, PAGE_LICENCE, PAGE_MODE, PAGE_ITEMS, PAGE_DEST_FOLDER, PAGE_DEST_GROUP})
            SetupInfoSetFlag(info_, page, 0);
        SetupInfoSetFlag(info_, PAGE_START, 1);
        custom = 1;
        // The install's restart offer, and two bits that no reader knows, are the install's
        // business: an uninstall offers its restart through OPT_RESTART_UNINSTALL.
        for (int option : {OPT_RESTART_INSTALL, 4, 5})
            SetupInfoSetOption(info_, option, 0);
        if (!SetupInfoSetText(info_, TEXT_INSTALL_START, info_->texts[TEXT_UNINSTALL_START]))
            return FALSE;
    } else if (previousItems_ != nullptr) {
        custom = 1;
        for (int page : {PAGE_MODE, PAGE_DEST_FOLDER, PAGE_DEST_GROUP})
            SetupInfoSetFlag(info_, page, 0);
        if (!(runFlags & RUN_UPDATE) && SetupInfoTestOption(info_, OPT_REINSTALL_NO_LICENCE))
            SetupInfoSetFlag(info_, PAGE_LICENCE, 0);
        MarkPreviousItems();
    }
    if (!CreatePages())
        return FALSE;
    // A wizard shows the current page's title as its caption: every page carries the product's.
    for (auto& page : pages_) {
        if (page)
            page->SetTitle(
                TextOr(info_, Uninstalling() ? TEXT_UNINSTALL_TITLE : TEXT_INSTALL_TITLE));
    }
    for (PageSlot slot : {SLOT_WARNING, SLOT_LICENCE, SLOT_MODE}) {
        if (pages_[slot] && !AddPage(pages_[slot].get()))
            return FALSE;
    }
    if (!pages_[SLOT_MODE]) {
        // Installing over an earlier installation keeps its folder and group: its choices
        // stay in effect without the pages that show them.
        if (pages_[SLOT_DEST] || pages_[SLOT_ITEMS]) {
            custom = 1;
            SetCustomPages();
        } else {
            if (Uninstalling() || previousItems_ == nullptr)
                custom = 0;
            SetStandardPages();
        }
    }
    return OpenLock();
}

BOOL CInstallSheet::LoadEarlierInstallation(SSetupInfo* info) {
    previousItems_ = ClTreeCreate();
    previousRecord_ = ClTreeCreate();
    if (previousItems_ == nullptr || previousRecord_ == nullptr)
        return Refuse(IDS_NO_MEMORY);
    const bool update = (runFlags & RUN_UPDATE) != 0;
    if (!LoadUninstallData(info, previousItems_, &previousSelection_, previousRecord_, &ownInfo_,
                           runFlags)) {
        if (update)
            return Refuse(IDS_UPDATE_TARGET_MISSING);
        if (Uninstalling())
            return Refuse(IDS_SETUP_FILE_UNOPENABLE);
        ClTreeDestroy(previousItems_);
        ClTreeDestroy(previousRecord_);
        previousItems_ = previousRecord_ = nullptr;
        return TRUE;
    }
    if (Uninstalling()) {
        info_ = &ownInfo_;
        choices_.Load(info_);
    } else {
        choices_.Load(&ownInfo_);
        if (!update && SetupInfoTestOption(info, OPT_NO_UNINSTALL))
            return Refuse(IDS_NO_ADDITIONAL_INSTALL);
        if (!EqualNoCase(TextOr(&ownInfo_, TEXT_DISPLAY_NAME), TextOr(info, TEXT_DISPLAY_NAME)))
            return Refuse(IDS_FOLDER_TAKEN);
        if (!update && SetupInfoTestOption(info, OPT_SINGLE_INSTANCE))
            return Refuse(IDS_ALREADY_INSTALLED);
    }
    // Entries the new run does not record again keep the count 0: what the clean-up may
    // remove. An update removes nothing.
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(previousRecord_); node != nullptr;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if (std::uint32_t* count = ClTreeNodeCounter(node))
            *count = update ? 1 : 0;
    }
    return TRUE;
}

void CInstallSheet::MarkPreviousItems() {
    if (itemTree_ == nullptr)
        return;
    std::int32_t depth = 0;
    for (ClTreeNode* node = ClTreeRoot(itemTree_); node != nullptr;
         node = ClTreeNavigate(node, TN_WALK, &depth)) {
        if (IsItem(node))
            node->data[0] &= static_cast<std::uint8_t>(~kCheckBits);
    }
    depth = 0;
    for (ClTreeNode* earlier = ClTreeRoot(previousItems_); earlier != nullptr;
         earlier = ClTreeNavigate(earlier, TN_WALK, &depth)) {
        if (!IsItem(earlier) || (earlier->data[0] & previousSelection_) != previousSelection_)
            continue;
        ClTreeNode* item = SamePathKey(itemTree_, earlier);
        if (item != nullptr && IsItem(item))
            item->data[0] |= kCheckBits;
    }
}

CInstallPage* CInstallSheet::NewPage(PageSlot slot) {
    switch (slot) {
        case SLOT_WARNING:
            return new (std::nothrow) CInstallWarning(this);
        case SLOT_LICENCE:
            return new (std::nothrow) CInstallCopyright(this);
        case SLOT_MODE:
            return new (std::nothrow) CInstallMode(this);
        case SLOT_DEST:
            return new (std::nothrow) CInstallDest(this);
        case SLOT_ITEMS:
            return new (std::nothrow) CInstallItemSelect(this);
        case SLOT_START:
            return new (std::nothrow) CInstallStart(this);
        case SLOT_PROGRESS:
            return new (std::nothrow) CInstall(this);
        default:
            return new (std::nothrow) CInstallFinish(this);
    }
}

BOOL CInstallSheet::CreatePages() {
    auto wants = [this](int bit) { return SetupInfoTestFlag(info_, bit) != 0; };
    bool wanted[kSlotCount] = {wants(PAGE_WARNING),
                               wants(PAGE_LICENCE),
                               false,
                               wants(PAGE_DEST_FOLDER) || wants(PAGE_DEST_GROUP),
                               wants(PAGE_ITEMS),
                               wants(PAGE_START),
                               wants(PAGE_PROGRESS),
                               wants(PAGE_FINISH)};
    // The choice between standard and custom means nothing without the pages of custom.
    if (!wanted[SLOT_DEST] && !wanted[SLOT_ITEMS])
        SetupInfoSetFlag(info_, PAGE_MODE, 0);
    wanted[SLOT_MODE] = wants(PAGE_MODE);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!wanted[slot])
            continue;
        pages_[slot].reset(NewPage(static_cast<PageSlot>(slot)));
        if (!pages_[slot])
            return FALSE;
    }
    return TRUE;
}

BOOL CInstallSheet::OpenLock() {
    listBuffer_.assign(kTextLineBufferSize + 1, '\0');
    char path[kFolderPathSize];
    if (!ExpandFolderMacros(info_, FolderMacro::WF, kPendingDeletionFile, nullptr, path))
        return Refuse(IDS_SETUP_BUSY);
    lock_.Attach(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lock_.ok())
        return Refuse(IDS_SETUP_BUSY);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(lock_.get(), &size) || size.QuadPart >= kLockFileLimit) {
        lock_.Close();
        return Refuse(IDS_RESTART_FIRST);
    }
    return TRUE;
}

BOOL CInstallSheet::SetPagesBehindLeading(std::initializer_list<PageSlot> slots) {
    int leading = 0;
    for (PageSlot slot : {SLOT_WARNING, SLOT_LICENCE, SLOT_MODE})
        leading += pages_[slot] ? 1 : 0;
    for (int index = PageCount() - 1; index >= leading; --index)
        RemovePage(index);
    for (PageSlot slot : slots) {
        if (pages_[slot])
            AddPage(pages_[slot].get());
    }
    return TRUE;
}

BOOL CInstallSheet::SetStandardPages() {
    return SetPagesBehindLeading({SLOT_START, SLOT_PROGRESS, SLOT_FINISH});
}

BOOL CInstallSheet::SetCustomPages() {
    return SetPagesBehindLeading({SLOT_ITEMS, SLOT_DEST, SLOT_START, SLOT_PROGRESS, SLOT_FINISH});
}

void CInstallSheet::OnFirstPageInit(HWND sheet) {
    if (centred_)
        return;
    centred_ = true;
    CenterWindow(sheet);
}

void CInstallSheet::CenterWindow(HWND window) {
    RECT own;
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT around = {0, 0, screenWidth, screenHeight};
    if (HWND parent = GetParent(window))
        GetWindowRect(parent, &around);
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    if (x + width > screenWidth)
        x = screenWidth - width;
    if (y + height > screenHeight)
        y = screenHeight - height;
    if (y < 0)
        y = 0;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int CInstallSheet::RunModal(HWND owner) {
    if (HWND page = GetCurrentPageHwnd()) {
        NMHDR activate = {page, 0, static_cast<UINT>(PSN_SETACTIVE)};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&activate));
    }
    SetWindowTextA(GetHwnd(),
                   TextOr(info_, Uninstalling() ? TEXT_UNINSTALL_TITLE : TEXT_INSTALL_TITLE));
    for (auto& page : pages_) {
        if (page)
            page->OnSheetStart();
    }
    int result = ClPropertySheet::RunModal(owner);
    lock_.Close();
    return result;
}

bool CInstallSheet::RunActive() const {
    return progress_ != nullptr && progress_->ActiveRun() != nullptr;
}

void CInstallSheet::OnIdle() {
    if (!RunActive()) {
        WaitMessage();
        return;
    }
    CInstall* page = progress_;
    page->StepSlice([this, page] {
        if (!page->ActiveRun()->Step())
            page->OnRunFailed();
        return RunActive();
    });
}

int CInstallSheet::EndSheet(int code) {
    return ClPropertySheet::EndSheet(completed_ && code == 2 ? 1 : code);
}

void CInstallSheet::OnSheetOK() {
    Apply();
    EndSheet(1);
}

LRESULT CInstallSheet::OnCommand(HWND control, WORD id, WORD notifyCode) {
    if (id == IDCANCEL && RunActive())
        return 0;
    return ClPropertySheet::OnCommand(control, id, notifyCode);
}

LRESULT CInstallSheet::OnSysCommand(UINT command, POINT point, LPARAM lParam) {
    if ((command & 0xFFF0) == SC_CLOSE && RunActive())
        return 0;
    return ClPropertySheet::OnSysCommand(command, point, lParam);
}

SInstallRunContext CInstallSheet::RunContext(HKEY sharedDlls) {
    choice_ = choices_.Choice();
    SInstallRunContext context{};
    context.info = info_;
    context.codec = &codec_;
    context.pendingList = lock_.get();
    context.listBuffer = listBuffer_.data();
    context.listBufferSize = kTextLineBufferSize;
    context.sharedDlls = sharedDlls;
    context.packageOffset = packageOffset;
    context.runFlags = runFlags;
    context.custom = custom;
    context.choice = &choice_;
    return context;
}
