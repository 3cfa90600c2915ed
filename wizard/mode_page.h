// CInstallMode: standard or custom installation. The page list behind it follows the choice
// at once, so Next always leads to the pages of the option shown checked.
#pragma once

#include "wizard/install_page.h"

class CInstallMode : public CInstallPage {
  public:
    explicit CInstallMode(CInstallSheet* sheet);
    // PSN_WIZNEXT commits the choice.
    int OnPageNotify(int controlId, NMHDR* header) override;
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

  protected:
    void OnInitPage() override;
};
