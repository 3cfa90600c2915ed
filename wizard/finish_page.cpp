#include "wizard/finish_page.h"

#include "base/setup_context.h"
#include "resources/wizard_ids.h"
#include "setupinfo/setup_info.h"
#include "wizard/install_sheet.h"

CInstallFinish::CInstallFinish(CInstallSheet* sheet) : CInstallPage(IDD_FINISH_PAGE, sheet) {}

bool CInstallFinish::RestartOffered() const {
    if (SetupInfoTestOption(Info(), OPT_NO_RESTART_PROMPT))
        return false;
    return SetupInfoTestOption(Info(),
                               Uninstalling() ? OPT_RESTART_UNINSTALL : OPT_RESTART_INSTALL);
}

void CInstallFinish::OnInitPage() {
    SetText(IDC_FINISH_TEXT,
            Info()->texts[Uninstalling() ? TEXT_UNINSTALL_DONE : TEXT_INSTALL_DONE]);
    if (RestartOffered()) {
        SetText(IDC_RESTART_NOW, Info()->texts[TEXT_RESTART_NOW]);
        SetText(IDC_RESTART_LATER, Info()->texts[TEXT_RESTART_LATER]);
    } else {
        HideControl(IDC_RESTART_NOW);
        HideControl(IDC_RESTART_LATER);
    }
    SendMessageA(GetDlgItem(IDC_RESTART_NOW), BM_SETCHECK, BST_CHECKED, 0);
}

int CInstallFinish::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        Sheet()->SetWizButtons(PSWIZB_FINISH);
        Sheet()->CancelToClose();
        return 0;
    }
    if (header->code == static_cast<UINT>(PSN_WIZFINISH)) {
        HWND restart = GetDlgItem(IDC_RESTART_NOW);
        if ((GetWindowLongA(restart, GWL_STYLE) & WS_VISIBLE) &&
            SendMessageA(restart, BM_GETCHECK, 0, 0) == BST_CHECKED)
            g_setup->exitFlags |= EXIT_REBOOT;
        Sheet()->EndSheet(1);
        return 0;
    }
    return CInstallPage::OnPageNotify(controlId, header);
}
