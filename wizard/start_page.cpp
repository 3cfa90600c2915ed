#include "wizard/start_page.h"

#include "resources/wizard_ids.h"
#include "setupinfo/setup_info.h"
#include "wizard/install_sheet.h"
#include "wizard/wizard_messages.h"

CInstallStart::CInstallStart(CInstallSheet* sheet) : CInstallPage(IDD_START_PAGE, sheet) {}

void CInstallStart::OnInitPage() {
    SetText(IDC_START_TEXT, Info()->texts[TEXT_INSTALL_START]);
}

void CInstallStart::OnSheetStart() {
    if (Uninstalling() && SetupInfoTestOption(Info(), OPT_AUTO_UNINSTALL))
        PostToSelf(WM_WIZ_NEXT);
}
