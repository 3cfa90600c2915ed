// CInstallWarning: the first page of an install, with the package's notice (text 0).
#pragma once

#include "wizard/install_page.h"

class CInstallWarning : public CInstallPage {
  public:
    explicit CInstallWarning(CInstallSheet* sheet);
    // PSN_SETACTIVE: Back and Next; an automatic install goes on by itself.
    int OnPageNotify(int controlId, NMHDR* header) override;

  protected:
    void OnInitPage() override;
};
