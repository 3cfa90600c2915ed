#include "wizard/licence_page.h"

#include "resources/wizard_ids.h"
#include "setupinfo/setup_info.h"
#include "wizard/install_sheet.h"

CInstallCopyright::CInstallCopyright(CInstallSheet* sheet)
    : CInstallPage(IDD_LICENCE_PAGE, sheet) {}

void CInstallCopyright::OnInitPage() {
    agreement_ = SetupInfoTestOption(Info(), OPT_NO_AGREEMENT) ? 0 : kAgreementRequired;
    if (!(agreement_ & kAgreementRequired)) {
        HideControl(IDC_AGREE);
        HideControl(IDC_DISAGREE);
    }
    SetLongText(IDC_LICENCE_TEXT, Info()->texts[TEXT_LICENCE]);
}

void CInstallCopyright::ShowButtons() {
    bool blocked = (agreement_ & kAgreementRequired) && !(agreement_ & kAgreed);
    Sheet()->SetWizButtons(blocked ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

int CInstallCopyright::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        if (Sheet()->GetHwnd() != nullptr)
            Sheet()->Changed(GetHwnd());
        ShowButtons();
        return 0;
    }
    return CInstallPage::OnPageNotify(controlId, header);
}

int CInstallCopyright::OnCommand(HWND control, WORD id, WORD notifyCode) {
    if (id == IDC_AGREE)
        agreement_ |= kAgreed;
    else if (id == IDC_DISAGREE)
        agreement_ &= static_cast<std::uint8_t>(~kAgreed);
    else
        return CInstallPage::OnCommand(control, id, notifyCode);
    ShowButtons();
    return 0;
}
