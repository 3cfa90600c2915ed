#include "ui/folder_make_dialog.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/messages.h"

const char kForbiddenNameCharacters[] = "\\/:,;*?\"<>|";

int HasForbiddenNameCharacter(const char* name) {
    for (const char* at = name; *at != '\0'; ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*at))) {
            if (at[1] == '\0')
                break;
            ++at;
            continue;
        }
        if (std::strchr(kForbiddenNameCharacters, *at) != nullptr)
            return 1;
    }
    return 0;
}

CGetFolderMakeDialog::CGetFolderMakeDialog(HWND owner, HINSTANCE instance, int nameLimit,
                                           WORD editId, WORD captionId, WORD messageId)
    : ClDialog(owner, instance),
      nameLimit_(nameLimit),
      editId_(editId),
      captionId_(captionId),
      messageId_(messageId) {}

INT_PTR CGetFolderMakeDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_INITDIALOG)
        return ClDialog::DialogProc(msg, wParam, lParam);
    SendDlgItemMessageA(GetHwnd(), editId_, EM_LIMITTEXT, static_cast<WPARAM>(nameLimit_), 0);
    return TRUE;
}

void CGetFolderMakeDialog::OnOK() {
    GetDlgItemTextA(GetHwnd(), editId_, name_, sizeof name_);
    if (!HasForbiddenNameCharacter(name_)) {
        EndDialog(GetHwnd(), 1);
        return;
    }
    char* message = LoadResourceString(instance_, messageId_);
    char* caption = LoadResourceString(instance_, captionId_);
    if (message != nullptr && caption != nullptr)
        MessageBoxA(GetHwnd(), (std::string(message) + kForbiddenNameCharacters).c_str(), caption,
                    MB_OK);
    std::free(message);
    std::free(caption);
    EndDialog(GetHwnd(), 2);
}

void CGetFolderMakeDialog::OnCancel() {
    EndDialog(GetHwnd(), 2);
}
