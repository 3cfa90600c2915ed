// ClPropertySheet: a common-controls property sheet (the wizard) that is always created
// modeless and made modal by RunModal, so that the program keeps its own message loop and idle
// hook and can add and remove pages while the sheet is open. User-interface thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "base/mem.h"
#include "ui/window_base.h"

class ClPropertyPage;

// Ids of the sheet's own buttons.
constexpr WORD ID_APPLY_NOW = 0x3021;
constexpr WORD ID_PSBACK = 0x3023;
constexpr WORD ID_PSNEXT = 0x3024;
constexpr WORD ID_PSFINISH = 0x3025;

class ClPropertySheet : public ClWindowBase {
  public:
    // Pages and templates come from instance. The header's flags start at 0; the creator adds
    // PSH_WIZARD.
    explicit ClPropertySheet(HINSTANCE instance);
    ~ClPropertySheet() override;

    // Appends a page; while the sheet is open it is also added to the control. FALSE for a
    // null page, one already listed, or when the list or the control refuses it.
    BOOL AddPage(ClPropertyPage* page);
    // Removes the page at index from the list and, while the sheet is open, from the control.
    // An index outside the list changes nothing.
    void RemovePage(int index);
    int PageCount() const;
    // Shows the sheet and runs it modally against owner's top-level window: the code its end
    // was requested with (EndSheet), a RunModal failure code, or 2 when it cannot be shown.
    int Run(HWND owner);
    // Creates the modeless sheet with the listed pages: 1; 0 when there is no page list, a
    // window is already bound or the sheet cannot be created; -1 when a page cannot be.
    int Create(HWND owner);
    PROPSHEETHEADERA& Header() { return header_; }

    // Ends the sheet: the first request ends the modal loop (Run destroys the window); a
    // further one destroys the window at once. 1.
    BOOL Destroy() override;
    virtual int EndSheet(int code);
    // IsDialogMessage first: 1 when it handled the message, else 0.
    int DispatchLoopMessage(MSG* msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The close command of the system menu ends the sheet with 2; other commands go on.
    virtual LRESULT OnSysCommand(UINT command, POINT point, LPARAM lParam);
    virtual LRESULT OnNotify(int controlId, NMHDR* header);
    // Gives the sheet's buttons to the hooks below, then to the control.
    virtual LRESULT OnCommand(HWND control, WORD id, WORD notifyCode);
    virtual void OnSheetOK();
    virtual void OnSheetCancel();
    virtual void OnSheetApply();
    // 0 keeps the current page: the command does not reach the control.
    virtual int OnWizBack(HWND control, WORD id, WORD notifyCode);
    virtual int OnWizNext(HWND control, WORD id, WORD notifyCode);
    virtual void OnWizFinish(HWND control, WORD id, WORD notifyCode);

    void Apply();
    LRESULT CancelToClose();
    void Changed(HWND page);
    HWND GetCurrentPageHwnd();
    // button: PSBTN_BACK, PSBTN_NEXT or PSBTN_FINISH.
    void PressButton(int button);
    // flags: PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH.
    LRESULT SetWizButtons(DWORD flags);

  private:
    ClPropertyPage** Pages() const;
    int IndexOf(const ClPropertyPage* page) const;

    ClMem pageList_;  // ClPropertyPage pointers in sheet order; no block without memory
    PROPSHEETHEADERA header_;
};
