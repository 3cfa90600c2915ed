// CInstallDest: the install folder and the program-menu group, each with a button that opens a
// folder browser.
#pragma once

#include "wizard/install_page.h"

class CInstallDest : public CInstallPage {
  public:
    explicit CInstallDest(CInstallSheet* sheet);
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

  protected:
    void OnInitPage() override;

  private:
    // Shows the chosen folder; 0 when it cannot be expanded.
    int ShowFolder();
    void ChooseFolder();
    void ChooseGroup();
};
