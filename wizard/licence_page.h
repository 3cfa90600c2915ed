// CInstallCopyright: the licence (text 1). Unless the package says otherwise, Next stays
// disabled until the user agrees.
#pragma once

#include <cstdint>

#include "wizard/install_page.h"

class CInstallCopyright : public CInstallPage {
  public:
    explicit CInstallCopyright(CInstallSheet* sheet);
    int OnPageNotify(int controlId, NMHDR* header) override;
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

  protected:
    void OnInitPage() override;

  private:
    static constexpr std::uint8_t kAgreed = 0x01;
    static constexpr std::uint8_t kAgreementRequired = 0x02;
    void ShowButtons();

    std::uint8_t agreement_ = 0;
};
