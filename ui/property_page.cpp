#include "ui/property_page.h"

#include "ui/property_sheet.h"

ClPropertyPage::ClPropertyPage(WORD templateId, HINSTANCE instance)
    : ClDialog(nullptr, instance), page_() {
    page_.dwSize = sizeof page_;
    page_.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
    page_.hInstance = instance;
    page_.pszTemplate = MAKEINTRESOURCEA(templateId);
    page_.pfnDlgProc = PageDialogProc;
    page_.lParam = reinterpret_cast<LPARAM>(this);
    page_.pfnCallback = PageCallbackProc;
}

int ClPropertyPage::OnCommand(HWND control, WORD id, WORD) {
    if (id == ID_APPLY_NOW)
        OnApplyNow(control, id);
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
    return 0;
}

void ClPropertyPage::OnApplyNow(HWND, WORD) {}

int ClPropertyPage::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code != static_cast<UINT>(PSN_APPLY))
        return 1;
    OnApply(controlId, header);
    return 0;
}

void ClPropertyPage::OnApply(int, NMHDR*) {}

UINT ClPropertyPage::PageCallback(UINT message, PROPSHEETPAGEA* page) {
    if (message == PSPCB_RELEASE)
        return OnPageRelease(page);
    if (message == PSPCB_CREATE)
        return OnPageCreate(page);
    return 1;
}

UINT ClPropertyPage::OnPageRelease(PROPSHEETPAGEA*) {
    return 1;
}

UINT ClPropertyPage::OnPageCreate(PROPSHEETPAGEA*) {
    return 1;
}

INT_PTR CALLBACK ClPropertyPage::PageDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<ClPropertyPage*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (object)
        return object->DialogProc(msg, wParam, lParam);
    if (msg != WM_INITDIALOG)
        return 0;
    // lParam is the sheet's copy of the page structure, which carries the object.
    const auto* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    object = page ? reinterpret_cast<ClPropertyPage*>(page->lParam) : nullptr;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(object));
    if (!object)
        return TRUE;
    object->Attach(hwnd, FALSE);
    return object->DialogProc(msg, wParam, lParam);
}

UINT CALLBACK ClPropertyPage::PageCallbackProc(HWND, UINT message, PROPSHEETPAGEA* page) {
    auto* object = page ? reinterpret_cast<ClPropertyPage*>(page->lParam) : nullptr;
    if (!object)
        return 1;
    return object->PageCallback(message, page);
}
