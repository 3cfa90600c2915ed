#include "wizard/dest_page.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/dbcs.h"
#include "resources/install_ids.h"
#include "resources/string_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "setupinfo/folder_macros.h"
#include "ui/browse_for_folder.h"
#include "wizard/install_sheet.h"

namespace {

// The folder browser's resources; the two browsers differ in their title.
SFolderDialogIds BrowserIds(WORD titleId) {
    return SFolderDialogIds{titleId,         IDD_FOLDER_BROWSER, IDI_PROGRESS_DISK,
                            IDC_MAKE_FOLDER, IDC_FOLDER_TREE,    IDD_MAKE_FOLDER,
                            IDC_FOLDER_NAME, IDS_CAPTION_ERROR,  IDS_FORBIDDEN_CHARACTERS};
}

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

}  // namespace

CInstallDest::CInstallDest(CInstallSheet* sheet) : CInstallPage(IDD_DEST_PAGE, sheet) {}

void CInstallDest::OnInitPage() {
    CInstallInfo& choices = Sheet()->Choices();
    choices.Load(Info());
    SetText(IDC_DEST_GROUP, choices.group.c_str());
    if (!ShowFolder()) {
        Fail(IDS_INIT_FAILED);
        return;
    }
    EnableWindow(GetDlgItem(IDC_DEST_FOLDER_CHANGE), SetupInfoTestFlag(Info(), PAGE_DEST_FOLDER));
    EnableWindow(GetDlgItem(IDC_DEST_GROUP_CHANGE),
                 SetupInfoTestFlag(Info(), PAGE_DEST_GROUP) &&
                     !SetupInfoTestOption(Info(), OPT_GROUP_LOCKED));
}

int CInstallDest::ShowFolder() {
    const CInstallInfo& choices = Sheet()->Choices();
    char folder[kFolderPathSize];
    if (!ExpandFolderMacros(Info(), choices.installFolderMacro, choices.folder.c_str(), nullptr,
                            folder))
        return 0;
    SetText(IDC_DEST_FOLDER, folder);
    return 1;
}

int CInstallDest::OnCommand(HWND control, WORD id, WORD notifyCode) {
    if (id == IDC_DEST_FOLDER_CHANGE)
        ChooseFolder();
    else if (id == IDC_DEST_GROUP_CHANGE)
        ChooseGroup();
    else
        return CInstallPage::OnCommand(control, id, notifyCode);
    return 0;
}

void CInstallDest::ChooseFolder() {
    CInstallInfo& choices = Sheet()->Choices();
    char folder[kFolderPathSize];
    if (!ExpandFolderMacros(Info(), choices.installFolderMacro, choices.folder.c_str(), nullptr,
                            folder)) {
        Fail(IDS_NO_MEMORY);
        return;
    }
    if (BrowseForFolder(Sheet()->Instance(), GetHwnd(), BrowserIds(IDS_BROWSE_FOLDER), folder,
                        sizeof folder) == -1)
        return;
    // The folder is a whole path now: it stands for itself, relative to no macro.
    choices.folder = folder;
    choices.installFolderMacro = FolderMacro::NN;
    if (!ShowFolder())
        Fail(IDS_NO_MEMORY);
}

void CInstallDest::ChooseGroup() {
    CInstallInfo& choices = Sheet()->Choices();
    std::unique_ptr<char, FreeDeleter> base(GetProgramsFolder());
    if (base == nullptr) {
        Fail(IDS_NO_MEMORY);
        return;
    }
    if (std::strlen(base.get()) + 1 + choices.group.size() >= kFolderPathSize) {
        Fail(IDS_PATH_TOO_LONG);
        return;
    }
    char path[kFolderPathSize];
    if (!ExpandFolderMacros(Info(), FolderMacro::OT, choices.group.c_str(), base.get(), path)) {
        Fail(IDS_NO_MEMORY);
        return;
    }
    const SFolderDialogIds ids = BrowserIds(IDS_BROWSE_MENU);
    const char* allUsers[] = {"Common Programs"};
    const HKEY machine[] = {HKEY_LOCAL_MACHINE};
    const char* user[] = {"Programs"};
    if (BrowseShellFolder(Sheet()->Instance(), GetHwnd(), ids, path, sizeof path, allUsers, machine,
                          1) == -1 &&
        BrowseShellFolder(Sheet()->Instance(), GetHwnd(), ids, path, sizeof path, user, nullptr,
                          1) == -1)
        return;
    // The group is what the chosen folder adds to the programs folder.
    auto length = static_cast<std::uint32_t>(std::strlen(base.get()));
    if (length > 0 && IsCharAt(base.get(), length - 1, '\\'))
        --length;
    if (!CompareNoCaseN(path, base.get(), length) ||
        (path[length] != '\0' && !IsCharAt(path, length, '\\')))
        return;
    const char* group = path + length;
    if (*group == '\\')
        ++group;
    choices.group = group;
    SetText(IDC_DEST_GROUP, group);
}
