// CInstallItemSelect: the components in a check tree; their check bits stay in the item tree,
// where the install run reads them. The selected component's description is shown beside it.
#pragma once

#include "ui/check_window.h"
#include "wizard/install_page.h"

class CInstallItemSelect : public CInstallPage {
  public:
    explicit CInstallItemSelect(CInstallSheet* sheet);
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // PSN_WIZBACK enables Back and Next again.
    int OnPageNotify(int controlId, NMHDR* header) override;
    // Details, select all, clear all.
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

  protected:
    void OnInitPage() override;

  private:
    ClCheckWindow checks_;
};
