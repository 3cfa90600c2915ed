#include "ui/dialog.h"

namespace {

// The template resource of id in instance, or null.
const DLGTEMPLATE* FindDialogTemplate(HINSTANCE instance, WORD id) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded)
        return nullptr;
    return static_cast<const DLGTEMPLATE*>(LockResource(loaded));
}

}  // namespace

ClDialog::~ClDialog() {
    if (ownsWindow_ && hwnd_)
        Destroy();
    else if (hwnd_ && IsWindow(hwnd_))
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
}

BOOL ClDialog::Attach(HWND hwnd, BOOL owns) {
    if (!hwnd || !IsWindow(hwnd))
        return FALSE;
    if (ownsWindow_ && hwnd_ && IsWindow(hwnd_))
        Destroy();
    hwnd_ = hwnd;
    ownsWindow_ = owns;
    return TRUE;
}

BOOL ClDialog::Destroy() {
    if (!hwnd_ || !IsWindow(hwnd_))
        return 0;
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    return DestroyWindow(hwnd);
}

BOOL ClDialog::Create(WORD templateId, HWND parent) {
    parent_ = parent;
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(instance_, templateId);
    if (!dialogTemplate)
        return FALSE;
    HWND created = CreateDialogIndirectParamA(instance_, dialogTemplate, parent, StaticDialogProc,
                                              reinterpret_cast<LPARAM>(this));
    hwnd_ = created;
    return created != nullptr;
}

int ClDialog::DoModal(WORD templateId) {
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(instance_, templateId);
    if (!dialogTemplate)
        return 0;
    HWND focus = GetFocus();
    INT_PTR result = DialogBoxIndirectParamA(instance_, dialogTemplate, parent_, StaticDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (focus)
        SetFocus(focus);
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    return static_cast<int>(result);
}

INT_PTR CALLBACK ClDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<ClDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (object)
        return object->DialogProc(msg, wParam, lParam);
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        object = reinterpret_cast<ClDialog*>(lParam);
        if (!object) {
            EndDialog(hwnd, 0);
            return 0;
        }
        object->Attach(hwnd, TRUE);
        return object->DialogProc(msg, wParam, lParam);
    }
    // A dialog can be told to end before it knows its object.
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, static_cast<INT_PTR>(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR ClDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DESTROY:
            hwnd_ = nullptr;
            return 0;
        case WM_NOTIFY:
            return OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam));
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            return OnCommand(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        default:
            return FALSE;
    }
}

void ClDialog::OnOK() {
    EndDialog(hwnd_, IDOK);
}

void ClDialog::OnCancel() {
    EndDialog(hwnd_, IDCANCEL);
}

int ClDialog::OnCommand(HWND, WORD id, WORD) {
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
    return 0;
}

int ClDialog::OnNotify(int, NMHDR*) {
    return 1;
}

LRESULT ClDialog::DefaultProc(UINT, WPARAM, LPARAM) {
    return 0;
}
