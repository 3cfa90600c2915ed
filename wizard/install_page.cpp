#include "wizard/install_page.h"

#include "base/messages.h"
#include "base/run_flags.h"
#include "resources/string_ids.h"
#include "wizard/install_sheet.h"
#include "wizard/wizard_messages.h"

CInstallPage::CInstallPage(WORD templateId, CInstallSheet* sheet)
    : ClPropertyPageBase(templateId, sheet->Instance()), sheet_(sheet) {}

SSetupInfo* CInstallPage::Info() const {
    return sheet_->Info();
}

bool CInstallPage::Uninstalling() const {
    return sheet_->Uninstalling();
}

INT_PTR CInstallPage::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            sheet_->OnFirstPageInit(GetParent(GetHwnd()));
            OnInitPage();
            return TRUE;
        case WM_NOTIFY:
            return OnPageNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam));
        case WM_WIZ_CANCEL:
            sheet_->EndSheet(2);
            return TRUE;
        case WM_WIZ_NEXT:
            sheet_->PressButton(PSBTN_NEXT);
            return TRUE;
        case WM_WIZ_FINISH:
            sheet_->PressButton(PSBTN_FINISH);
            sheet_->EndSheet(1);
            return TRUE;
        default:
            return ClPropertyPageBase::DialogProc(msg, wParam, lParam);
    }
}

void CInstallPage::Fail(UINT messageId) {
    ShowMessage(GetHwnd(), messageId, IDS_CAPTION_ERROR, MB_OK);
    PostMessageA(GetHwnd(), WM_WIZ_CANCEL, 0, 0);
}

void CInstallPage::PostToSelf(UINT msg) {
    // Before the sheet is bound (the control activates its first page while it creates it),
    // the sheet would not act: the activation is repeated once it is bound.
    if (GetHwnd() != nullptr && sheet_->GetHwnd() != nullptr)
        PostMessageA(GetHwnd(), msg, 0, 0);
}

void CInstallPage::HideControl(int id) {
    ShowWindow(GetDlgItem(id), SW_HIDE);
}

void CInstallPage::SetText(int id, const char* text) {
    SetDlgItemTextA(GetHwnd(), id, text != nullptr ? text : "");
}

void CInstallPage::SetLongText(int id, const char* text) {
    SetText(id, text);
    SendMessageA(GetDlgItem(id), EM_SETSEL, static_cast<WPARAM>(-1), -1);
}
