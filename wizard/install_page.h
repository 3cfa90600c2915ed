// CInstallPage: what the eight wizard pages share. Each page tells the sheet when it is first
// initialised, gets its notifications through OnPageNotify, and steers the sheet with the
// page-private messages of wizard/wizard_messages.h. Pages never veto a page change through a
// notification result: they enable buttons, rebuild the page list, or post those messages.
#pragma once

#include <windows.h>

#include "ui/property_page.h"

class CInstallSheet;
struct SSetupInfo;

class CInstallPage : public ClPropertyPageBase {
  public:
    CInstallPage(WORD templateId, CInstallSheet* sheet);

    // WM_INITDIALOG: the sheet learns of the first page, then OnInitPage. WM_NOTIFY goes to
    // OnPageNotify, the page-private messages to the sheet; the rest to ClDialog.
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    // The page's own initialisation.
    virtual void OnInitPage() {}

    CInstallSheet* Sheet() const { return sheet_; }
    // The active setup information.
    SSetupInfo* Info() const;
    bool Uninstalling() const;
    // Tells the user about a fatal problem (message messageId, caption 2000, owned by the page)
    // and ends the wizard with 2 once the current message is done.
    void Fail(UINT messageId);
    // Posts a page-private message to the page, once the sheet window is there to act on it.
    void PostToSelf(UINT msg);
    // Sets a control's text (null: empty).
    void SetText(int id, const char* text);
    // Sets an edit control's text with nothing of it selected.
    void SetLongText(int id, const char* text);
    // Hides a control of the page (clears its WS_VISIBLE).
    void HideControl(int id);

  private:
    CInstallSheet* sheet_;
};
