// ClPropertyPage: a page of a ClPropertySheet. The page's dialog procedure and lifetime
// callbacks are routed back to the object through PROPSHEETPAGE::lParam; the sheet owns the
// page window.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/dialog.h"

class ClPropertySheet;

class ClPropertyPage : public ClDialog {
  public:
    // The page shows dialog template templateId of instance.
    ClPropertyPage(WORD templateId, HINSTANCE instance);

    // A page never ends a dialog.
    void OnOK() override {}
    void OnCancel() override {}
    // ID_APPLY_NOW goes to OnApplyNow, IDOK and IDCANCEL to OnOK and OnCancel; 0.
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

    virtual void OnApplyNow(HWND control, WORD id);
    // PSN_APPLY calls OnApply and gives 0; other notifications give 1. Pages that want it
    // route WM_NOTIFY here from their DialogProc.
    virtual int OnPageNotify(int controlId, NMHDR* header);
    // Commits the page.
    virtual void OnApply(int controlId, NMHDR* header);
    // PSPCB_RELEASE and PSPCB_CREATE go to OnPageRelease and OnPageCreate; others give 1.
    virtual UINT PageCallback(UINT message, PROPSHEETPAGEA* page);
    virtual UINT OnPageRelease(PROPSHEETPAGEA* page);
    // Non-zero lets the control create the page.
    virtual UINT OnPageCreate(PROPSHEETPAGEA* page);

    // The page's title, which a wizard shows as its caption while the page is current; the text
    // must outlive the page's creation. Null: the template's caption.
    void SetTitle(const char* title) { page_.pszTitle = title; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(GetHwnd(), id); }
    // The sheet whose list holds the page, or null.
    ClPropertySheet* GetSheet() const { return sheet_; }

    static INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static UINT CALLBACK PageCallbackProc(HWND hwnd, UINT message, PROPSHEETPAGEA* page);

  private:
    friend class ClPropertySheet;

    PROPSHEETPAGEA page_;
    ClPropertySheet* sheet_ = nullptr;
};

// The base of the wizard pages.
class ClPropertyPageBase : public ClPropertyPage {
  public:
    using ClPropertyPage::ClPropertyPage;
    // Called for every page just before the wizard's modal loop starts.
    virtual void OnSheetStart() {}
};
