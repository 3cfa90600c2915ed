// ClDialog: an object bound to a dialog made from a dialog-template resource, modeless
// (Create) or modal (DoModal). The one dialog procedure of all objects, StaticDialogProc, finds
// the object in the dialog's DWLP_USER slot and calls its virtual DialogProc.
// User-interface thread only.
#pragma once

#include <windows.h>

class ClDialog {
  public:
    // Templates are looked up in instance; parent is the owner of the dialog.
    ClDialog(HWND parent, HINSTANCE instance) : parent_(parent), instance_(instance) {}
    // Destroys the dialog when it owns it; a window it does not own forgets the object.
    virtual ~ClDialog();
    ClDialog(const ClDialog&) = delete;
    ClDialog& operator=(const ClDialog&) = delete;

    // Binds the object to hwnd; a window it owned before is destroyed. FALSE if hwnd is not a
    // window.
    BOOL Attach(HWND hwnd, BOOL owns);
    // DestroyWindow's result, 0 when no live window is bound.
    BOOL Destroy();
    // Creates the modeless dialog from template templateId. FALSE when the template is missing
    // or the dialog cannot be created.
    BOOL Create(WORD templateId, HWND parent);
    // Runs the modal dialog from template templateId: the code given to EndDialog, -1 if the
    // dialog could not be created, 0 when the template is missing.
    int DoModal(WORD templateId);
    HWND GetHwnd() const { return hwnd_; }

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // WM_DESTROY unbinds, WM_INITDIALOG gives TRUE, WM_NOTIFY and WM_COMMAND go to OnNotify and
    // OnCommand; anything else FALSE.
    virtual INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // EndDialog with IDOK.
    virtual void OnOK();
    // EndDialog with IDCANCEL.
    virtual void OnCancel();
    // IDOK and IDCANCEL go to OnOK and OnCancel; 0.
    virtual int OnCommand(HWND control, WORD id, WORD notifyCode);
    // 1.
    virtual int OnNotify(int controlId, NMHDR* header);
    // Dialogs are never subclassed: the system's dialog procedure handles what DialogProc
    // leaves, so this gives 0.
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    HWND parent_;
    HINSTANCE instance_;

  private:
    BOOL ownsWindow_ = FALSE;
    HWND hwnd_ = nullptr;
};
