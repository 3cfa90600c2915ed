#include "ui/property_sheet.h"

#include <cstring>
#include <memory>
#include <new>

#include "ui/modal_helpers.h"
#include "ui/property_page.h"

namespace {

// The page list starts with room for this many bytes of pointers and doubles when full.
constexpr std::int32_t kInitialPageListSize = 0x100000;
constexpr std::int32_t kPointerSize = sizeof(ClPropertyPage*);

}  // namespace

ClPropertySheet::ClPropertySheet(HINSTANCE instance) : header_() {
    pageList_.Alloc(kInitialPageListSize);
    header_.dwSize = sizeof header_;
    header_.hInstance = instance;
}

ClPropertySheet::~ClPropertySheet() {
    if (GetHwnd())
        EndSheet(1);
}

ClPropertyPage** ClPropertySheet::Pages() const {
    return reinterpret_cast<ClPropertyPage**>(pageList_.block);
}

int ClPropertySheet::PageCount() const {
    return pageList_.used / kPointerSize;
}

int ClPropertySheet::IndexOf(const ClPropertyPage* page) const {
    for (int i = 0; i < PageCount(); ++i) {
        if (Pages()[i] == page)
            return i;
    }
    return -1;
}

BOOL ClPropertySheet::AddPage(ClPropertyPage* page) {
    if (!pageList_.block || !page || IndexOf(page) >= 0)
        return FALSE;
    if (pageList_.used + kPointerSize > pageList_.capacity &&
        !pageList_.Reserve(pageList_.capacity * 2))
        return FALSE;
    page->sheet_ = this;
    Pages()[PageCount()] = page;
    pageList_.used += kPointerSize;
    if (!GetHwnd())
        return TRUE;
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page->page_);
    if (handle && SendMessageA(GetHwnd(), PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle)))
        return TRUE;
    // A page the control refused leaves the list too, so that list indexes stay the
    // control's.
    if (handle)
        DestroyPropertySheetPage(handle);
    page->sheet_ = nullptr;
    pageList_.used -= kPointerSize;
    return FALSE;
}

void ClPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= PageCount())
        return;
    if (GetHwnd())
        SendMessageA(GetHwnd(), PSM_REMOVEPAGE, index, 0);
    Pages()[index]->sheet_ = nullptr;
    std::memmove(&Pages()[index], &Pages()[index + 1],
                 static_cast<std::size_t>(PageCount() - index - 1) * kPointerSize);
    pageList_.used -= kPointerSize;
}

int ClPropertySheet::Run(HWND owner) {
    if (Create(owner) != 1)
        return 2;
    if (!Subclass()) {
        ClWindowBase::Destroy();
        return 2;
    }
    int result = RunModal(GetTopLevelWindow(owner));
    if (GetHwnd() && IsWindow(GetHwnd()))
        Destroy();
    return result;
}

int ClPropertySheet::Create(HWND owner) {
    if (!pageList_.block || GetHwnd())
        return 0;
    const int count = PageCount();
    std::unique_ptr<HPROPSHEETPAGE[]> handles(new (std::nothrow) HPROPSHEETPAGE[count + 1]);
    if (!handles)
        return -1;
    for (int i = 0; i < count; ++i) {
        handles[i] = CreatePropertySheetPageA(&Pages()[i]->page_);
        if (!handles[i]) {
            while (i > 0)
                DestroyPropertySheetPage(handles[--i]);
            return -1;
        }
    }
    header_.nPages = static_cast<UINT>(count);
    header_.phpage = handles.get();
    header_.hwndParent = GetTopLevelWindow(owner);
    header_.dwFlags |= PSH_MODELESS;
    auto sheet = reinterpret_cast<HWND>(PropertySheetA(&header_));
    // The sheet keeps copies of the handles.
    header_.phpage = nullptr;
    if (Attach(sheet, TRUE))
        return 1;
    for (int i = 0; i < count; ++i)
        DestroyPropertySheetPage(handles[i]);
    return 0;
}

BOOL ClPropertySheet::Destroy() {
    return EndSheet(1);
}

int ClPropertySheet::EndSheet(int code) {
    if (!EndRequested()) {
        // Activation goes back to the owner before the sheet disappears.
        if (HWND owner = GetParent(GetHwnd()))
            SetActiveWindow(owner);
        EndModal(static_cast<std::uint16_t>(code));
        return 1;
    }
    EndModal(static_cast<std::uint16_t>(code));
    if (HWND sheet = GetHwnd()) {
        Unsubclass();
        ForgetWindow();
        DestroyWindow(sheet);
    }
    return 1;
}

int ClPropertySheet::DispatchLoopMessage(MSG* msg) {
    if (IsDialogMessageA(GetHwnd(), msg))
        return 1;
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return 0;
}

LRESULT ClPropertySheet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_DESTROY:
            Unsubclass();
            ForgetWindow();
            return 0;
        case WM_NOTIFY:
            return OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            return OnCommand(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        case WM_SYSCOMMAND: {
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            return OnSysCommand(static_cast<UINT>(wParam), point, lParam);
        }
        default:
            return CallPrevious(msg, wParam, lParam);
    }
}

LRESULT ClPropertySheet::OnSysCommand(UINT command, POINT point, LPARAM) {
    // The low four bits of a system command are the system's own.
    if ((command & 0xFFF0) == SC_CLOSE) {
        if (!EndRequested())
            EndSheet(2);
        else
            CloseWindow(GetHwnd());
        return 0;
    }
    return CallPrevious(WM_SYSCOMMAND, command, MAKELPARAM(point.x, point.y));
}

LRESULT ClPropertySheet::OnNotify(int controlId, NMHDR* header) {
    return CallPrevious(WM_NOTIFY, static_cast<WPARAM>(controlId),
                        reinterpret_cast<LPARAM>(header));
}

LRESULT ClPropertySheet::OnCommand(HWND control, WORD id, WORD notifyCode) {
    switch (id) {
        case ID_PSNEXT:
            if (!OnWizNext(control, id, notifyCode))
                return 0;
            break;
        case ID_PSFINISH:
            OnWizFinish(control, id, notifyCode);
            break;
        case ID_PSBACK:
            if (!OnWizBack(control, id, notifyCode))
                return 0;
            break;
        case IDOK:
            OnSheetOK();
            break;
        case IDCANCEL:
            OnSheetCancel();
            break;
        case ID_APPLY_NOW:
            OnSheetApply();
            break;
        default:
            break;
    }
    return CallPrevious(WM_COMMAND, MAKEWPARAM(id, notifyCode), reinterpret_cast<LPARAM>(control));
}

void ClPropertySheet::OnSheetOK() {
    EndSheet(1);
}

void ClPropertySheet::OnSheetCancel() {
    EndSheet(2);
}

void ClPropertySheet::OnSheetApply() {
    HWND backButton = ::GetDlgItem(GetHwnd(), ID_PSBACK);
    for (int i = 0; i < PageCount(); ++i) {
        if (HWND page = Pages()[i]->GetHwnd())
            SendMessageA(page, WM_COMMAND, ID_APPLY_NOW, reinterpret_cast<LPARAM>(backButton));
    }
}

int ClPropertySheet::OnWizBack(HWND, WORD, WORD) {
    return 1;
}

int ClPropertySheet::OnWizNext(HWND, WORD, WORD) {
    return 1;
}

void ClPropertySheet::OnWizFinish(HWND, WORD, WORD) {}

void ClPropertySheet::Apply() {
    SendMessageA(GetHwnd(), PSM_APPLY, 0, 0);
}

LRESULT ClPropertySheet::CancelToClose() {
    return SendMessageA(GetHwnd(), PSM_CANCELTOCLOSE, 0, 0);
}

void ClPropertySheet::Changed(HWND page) {
    SendMessageA(GetHwnd(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

HWND ClPropertySheet::GetCurrentPageHwnd() {
    return reinterpret_cast<HWND>(SendMessageA(GetHwnd(), PSM_GETCURRENTPAGEHWND, 0, 0));
}

void ClPropertySheet::PressButton(int button) {
    SendMessageA(GetHwnd(), PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

LRESULT ClPropertySheet::SetWizButtons(DWORD flags) {
    return SendMessageA(GetHwnd(), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}
