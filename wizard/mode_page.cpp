#include "wizard/mode_page.h"

#include "resources/wizard_ids.h"
#include "setupinfo/setup_info.h"
#include "wizard/install_sheet.h"

CInstallMode::CInstallMode(CInstallSheet* sheet) : CInstallPage(IDD_MODE_PAGE, sheet) {}

void CInstallMode::OnInitPage() {
    Sheet()->SetStandardPages();
    SetText(IDC_MODE_STANDARD, Info()->texts[TEXT_SIMPLE_MODE]);
    SendMessageA(GetDlgItem(IDC_MODE_STANDARD), BM_SETCHECK, BST_CHECKED, 0);
    SetText(IDC_MODE_CUSTOM, Info()->texts[TEXT_CUSTOM_MODE]);
}

int CInstallMode::OnCommand(HWND control, WORD id, WORD notifyCode) {
    if (id == IDC_MODE_STANDARD)
        Sheet()->SetStandardPages();
    else if (id == IDC_MODE_CUSTOM)
        Sheet()->SetCustomPages();
    else
        return CInstallPage::OnCommand(control, id, notifyCode);
    return 0;
}

int CInstallMode::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_WIZNEXT)) {
        Sheet()->custom =
            SendMessageA(GetDlgItem(IDC_MODE_CUSTOM), BM_GETCHECK, 0, 0) == BST_CHECKED;
        return 0;
    }
    return CInstallPage::OnPageNotify(controlId, header);
}
