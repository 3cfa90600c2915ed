#include "wizard/item_select_page.h"

#include "package/layout/package_layout.h"
#include "resources/string_ids.h"
#include "resources/ui_ids.h"
#include "resources/wizard_ids.h"
#include "wizard/install_sheet.h"

CInstallItemSelect::CInstallItemSelect(CInstallSheet* sheet)
    : CInstallPage(IDD_ITEMS_PAGE, sheet), checks_(COMPONENT_CUSTOM | COMPONENT_STANDARD) {}

void CInstallItemSelect::OnInitPage() {
    if (Sheet()->ItemTree() == nullptr)
        return;
    HWND placeholder = GetDlgItem(IDC_ITEMS_TREE_PLACE);
    RECT rect;
    GetWindowRect(placeholder, &rect);
    MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    ShowWindow(placeholder, SW_HIDE);
    if (!checks_.CreateCheckTree(GetHwnd(), rect, Sheet()->ItemTree(), IDB_CHECK_IMAGES,
                                 IDC_ITEMS_TREE))
        Fail(IDS_NO_MEMORY);
}

INT_PTR CInstallItemSelect::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // The tree speaks ANSI or Unicode notifications as the page window does; the selection
    // is read from the tree either way.
    if (msg == WM_NOTIFY && checks_.GetHwnd() != nullptr &&
        header->idFrom == static_cast<UINT_PTR>(GetWindowLongA(checks_.GetHwnd(), GWL_ID)) &&
        (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
        SetText(IDC_ITEMS_DESCRIPTION, checks_.GetSelectedDescription());
        return TRUE;
    }
    return CInstallPage::DialogProc(msg, wParam, lParam);
}

int CInstallItemSelect::OnCommand(HWND, WORD id, WORD) {
    if (id == IDC_ITEMS_DETAILS)
        checks_.ToggleExpand(nullptr);
    else if (id == IDC_ITEMS_SELECT_ALL)
        checks_.SetAllChecks(nullptr, TRUE);
    else if (id == IDC_ITEMS_CLEAR_ALL)
        checks_.SetAllChecks(nullptr, FALSE);
    return 0;
}

int CInstallItemSelect::OnPageNotify(int controlId, NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_WIZBACK)) {
        Sheet()->SetWizButtons(PSWIZB_BACK | PSWIZB_NEXT);
        return 0;
    }
    return CInstallPage::OnPageNotify(controlId, header);
}
