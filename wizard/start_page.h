// CInstallStart: the text shown before the run (text 4; when uninstalling, the uninstall text
// put there by the sheet). An automatic uninstall goes on by itself.
#pragma once

#include "wizard/install_page.h"

class CInstallStart : public CInstallPage {
  public:
    explicit CInstallStart(CInstallSheet* sheet);
    void OnSheetStart() override;

  protected:
    void OnInitPage() override;
};
