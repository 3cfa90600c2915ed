#include "wizard/warning_page.h"

#include "resources/wizard_ids.h"
#include "setupinfo/setup_info.h"
#include "wizard/install_sheet.h"
#include "wizard/wizard_messages.h"

CInstallWarning::CInstallWarning(CInstallSheet* sheet) : CInstallPage(IDD_WARNING_PAGE, sheet) {}

void CInstallWarning::OnInitPage() {
    SetLongText(IDC_WARNING_TEXT, Info()->texts[TEXT_NOTICE]);
}

int CInstallWarning::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        Sheet()->SetWizButtons(PSWIZB_BACK | PSWIZB_NEXT);
        if (!Uninstalling() && SetupInfoTestOption(Info(), OPT_AUTO_INSTALL))
            PostToSelf(WM_WIZ_NEXT);
        return 0;
    }
    return CInstallPage::OnPageNotify(controlId, header);
}
