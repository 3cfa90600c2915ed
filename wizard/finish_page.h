// CInstallFinish: the completion text and, where the package asks for it, the choice to
// restart Windows now or later.
#pragma once

#include "wizard/install_page.h"

class CInstallFinish : public CInstallPage {
  public:
    explicit CInstallFinish(CInstallSheet* sheet);
    // PSN_SETACTIVE: only Finish, and no way back. PSN_WIZFINISH: restart if chosen; the wizard
    // ends with 1.
    int OnPageNotify(int controlId, NMHDR* header) override;

  protected:
    void OnInitPage() override;

  private:
    bool RestartOffered() const;
};
