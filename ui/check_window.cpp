#include "ui/check_window.h"

#include <cstring>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "tree/tree.h"

namespace {

// Byte 0 of an item's data block: its flags, checked when they hold the check mask.
constexpr std::uint32_t kItemFlags = 0;

// The component data block of a node that is shown as an item, or null. A block too short to
// hold the counters is not an item.
ClTreeNodeInfo* ItemInfo(ClTreeNode* node) {
    ClTreeNodeInfo* info = ClTreeNodeGetInfo(node);
    if (!info || !(info->flags & TN_KEY) || !(info->flags & TN_DATA) || !info->data ||
        info->length < kComponentDescription)
        return nullptr;
    return info;
}

bool HasSubKey(ClTreeNode* node) {
    return ClTreeNavigate(node, TN_FIRST_KEY, nullptr) != nullptr;
}

}  // namespace

ClCheckWindow::~ClCheckWindow() {
    ReleaseCheckTree();
}

BOOL ClCheckWindow::CreateCheckTree(HWND parent, const RECT& rect, ClTree* items, WORD bitmapId,
                                    UINT controlId) {
    if (!items)
        return FALSE;
    ReleaseCheckTree();
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    // The images come with the program's own resources, as the dialog templates do.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    images_.Attach(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), 16, 1,
                                        RGB(255, 255, 255), IMAGE_BITMAP, 0));
    if (!images_.ok())
        return FALSE;
    constexpr DWORD kStyle =
        WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    hwnd_.Attach(CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, nullptr, kStyle, rect.left,
                                 rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                                 instance, nullptr));
    if (!hwnd_.ok()) {
        images_.Close();
        return FALSE;
    }
    items_ = items;
    SendMessageA(GetHwnd(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(images_.get()));
    if (!FillItems(nullptr, TVI_ROOT)) {
        ReleaseCheckTree();
        return TRUE;
    }
    SetWindowLongPtrA(GetHwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckTreeWindowProc)));
    return TRUE;
}

void ClCheckWindow::ReleaseCheckTree() {
    items_ = nullptr;
    pressedItem_ = nullptr;
    hwnd_.Close();
    images_.Close();
}

BOOL ClCheckWindow::FillItems(ClTreeNode* node, HTREEITEM parentItem) {
    ClTreeNode* child;
    if (!node) {
        // The unnamed root key is not shown; the top-level keys behind it are.
        ClTreeNode* root = items_ ? ClTreeRoot(items_) : nullptr;
        child = ClTreeNavigate(root, TN_NEXT, nullptr);
        if (!child)
            return FALSE;
    } else {
        child = ClTreeNavigate(node, TN_FIRST_KEY, nullptr);
    }
    for (; child; child = ClTreeNavigate(child, TN_NEXT, nullptr)) {
        ClTreeNodeInfo* info = ItemInfo(child);
        if (!info)
            continue;
        const bool group = HasSubKey(child);
        // A group's state follows from its leaves, counted afresh below.
        if (group)
            info->data[kItemFlags] &= static_cast<std::uint8_t>(~checkMask_);
        StoreLe32(&info->data[kComponentChecked], 0);
        const bool checkedLeaf = !group && (info->data[kItemFlags] & checkMask_) == checkMask_;
        const int image = checkedLeaf ? kImageChecked : kImageUnchecked;

        TVINSERTSTRUCTA insert = {};
        insert.hParent = parentItem;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(info->name ? info->name : "");
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
        insert.item.lParam = reinterpret_cast<LPARAM>(child);
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageA(GetHwnd(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!item)
            return FALSE;
        if (group) {
            if (!FillItems(child, item))
                return FALSE;
        } else if (checkedLeaf && !PropagateCheck(item, +1)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ClCheckWindow::PropagateCheck(HTREEITEM item, int delta) {
    for (HTREEITEM ancestor = Relative(item, TVGN_PARENT); ancestor;
         ancestor = Relative(ancestor, TVGN_PARENT)) {
        const int image = GetItemImage(ancestor);
        ClTreeNodeInfo* info = ItemInfo(NodeOf(ancestor));
        if (image < 0 || !info)
            return FALSE;
        std::uint8_t* data = info->data;
        const std::uint32_t counter = LoadLe32(&data[kComponentChecked]) + delta;
        StoreLe32(&data[kComponentChecked], counter);
        const std::uint32_t needed = LoadLe32(&data[kComponentSubItems]);
        int shown;
        // A group that becomes complete, or stops being so, counts once more in every group
        // above it.
        if (counter == needed) {
            if ((image == kImageUnchecked || image == kImagePartlyChecked) &&
                !PropagateCheck(ancestor, +1))
                return FALSE;
            shown = kImageChecked;
            data[kItemFlags] |= static_cast<std::uint8_t>(checkMask_);
        } else if (counter < needed) {
            if (image == kImageChecked && !PropagateCheck(ancestor, -1))
                return FALSE;
            shown = counter > 0 ? kImagePartlyChecked : kImageUnchecked;
            data[kItemFlags] &= static_cast<std::uint8_t>(~checkMask_);
        } else {
            shown = kImageOverCount;
            data[kItemFlags] &= static_cast<std::uint8_t>(~checkMask_);
        }
        ShowImage(ancestor, shown);
    }
    return TRUE;
}

void ClCheckWindow::SetAllChecks(HTREEITEM parent, BOOL check) {
    HTREEITEM child = parent ? Relative(parent, TVGN_CHILD) : Relative(nullptr, TVGN_ROOT);
    for (; child; child = Relative(child, TVGN_NEXT)) {
        if (IsGroup(child)) {
            SetAllChecks(child, check);
            continue;
        }
        const int image = GetItemImage(child);
        if (!check && image == kImageChecked) {
            SetItemImage(child, kImageUnchecked);
            PropagateCheck(child, -1);
        } else if (check && image == kImageUnchecked) {
            SetItemImage(child, kImageChecked);
            PropagateCheck(child, +1);
        }
    }
}

void ClCheckWindow::ToggleExpand(HTREEITEM item) {
    if (!item || item == TVI_ROOT)
        item = Relative(nullptr, TVGN_CARET);
    if (!item)
        return;
    TVITEMA state = {};
    state.mask = TVIF_HANDLE | TVIF_STATE;
    state.hItem = item;
    state.stateMask = TVIS_EXPANDED;
    SendMessageA(GetHwnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    const WPARAM action = (state.state & TVIS_EXPANDED) ? TVE_COLLAPSE : TVE_EXPAND;
    SendMessageA(GetHwnd(), TVM_EXPAND, action, reinterpret_cast<LPARAM>(item));
}

const char* ClCheckWindow::GetSelectedDescription() {
    HTREEITEM selected = Relative(nullptr, TVGN_CARET);
    ClTreeNodeInfo* info = selected ? ItemInfo(NodeOf(selected)) : nullptr;
    if (!info)
        return "";
    const char* text = reinterpret_cast<const char*>(info->data + kComponentDescription);
    // A description without its terminator inside the block is not read.
    if (!std::memchr(text, 0, info->length - kComponentDescription))
        return "";
    return text;
}

int ClCheckWindow::GetItemImage(HTREEITEM item) {
    TVITEMA read = {};
    read.mask = TVIF_HANDLE | TVIF_IMAGE;
    read.hItem = item;
    if (!item || !SendMessageA(GetHwnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)))
        return -1;
    return read.iImage;
}

void ClCheckWindow::SetItemImage(HTREEITEM item, int image) {
    ShowImage(item, image);
    ClTreeNodeInfo* info = ItemInfo(NodeOf(item));
    if (!info)
        return;
    if (image == kImageUnchecked)
        info->data[kItemFlags] &= static_cast<std::uint8_t>(~checkMask_);
    else if (image == kImageChecked)
        info->data[kItemFlags] |= static_cast<std::uint8_t>(checkMask_);
}

void ClCheckWindow::ShowImage(HTREEITEM item, int image) {
    TVITEMA write = {};
    write.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    write.hItem = item;
    write.iImage = image;
    write.iSelectedImage = image;
    SendMessageA(GetHwnd(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&write));
}

ClTreeNode* ClCheckWindow::NodeOf(HTREEITEM item) {
    TVITEMA read = {};
    read.mask = TVIF_HANDLE | TVIF_PARAM;
    read.hItem = item;
    if (!item || !SendMessageA(GetHwnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)))
        return nullptr;
    return reinterpret_cast<ClTreeNode*>(read.lParam);
}

HTREEITEM ClCheckWindow::Relative(HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(GetHwnd(), TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool ClCheckWindow::IsGroup(HTREEITEM item) {
    return HasSubKey(NodeOf(item));
}

HTREEITEM ClCheckWindow::IconAt(LPARAM lParam) {
    TVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(lParam));
    hit.pt.y = static_cast<short>(HIWORD(lParam));
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(GetHwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & TVHT_ONITEMICON) ? item : nullptr;
}

void ClCheckWindow::ShowPressed(HTREEITEM item, int image) {
    SetItemImage(item, image == kImageUnchecked ? kImagePressedUnchecked : kImagePressedChecked);
}

bool ClCheckWindow::Tracking() const {
    return pressedItem_ && GetCapture() == GetHwnd();
}

bool ClCheckWindow::OnButtonDown(LPARAM lParam) {
    HTREEITEM item = IconAt(lParam);
    const int image = GetItemImage(item);
    // Only the three check states can be pressed; anything else goes to the tree view.
    if (image != kImageUnchecked && image != kImageChecked && image != kImagePartlyChecked)
        return false;
    pressedImage_ = image;
    pressedItem_ = item;
    SetCapture(GetHwnd());
    ShowPressed(item, image);
    return true;
}

void ClCheckWindow::OnMouseMove(LPARAM lParam) {
    if (IconAt(lParam) == pressedItem_) {
        ShowPressed(pressedItem_, pressedImage_);
        return;
    }
    const int shown = GetItemImage(pressedItem_);
    if (shown == kImagePressedUnchecked || shown == kImagePressedChecked)
        SetItemImage(pressedItem_, pressedImage_);
}

void ClCheckWindow::OnButtonUp(LPARAM lParam) {
    HTREEITEM item = pressedItem_;
    const bool onIcon = IconAt(lParam) == item;
    pressedItem_ = nullptr;
    ReleaseCapture();
    // The true state is shown again before anything changes: the counting above reads the
    // images of the groups.
    SetItemImage(item, pressedImage_);
    if (!onIcon)
        return;
    if (IsGroup(item)) {
        SetAllChecks(item, pressedImage_ != kImageChecked);
    } else if (pressedImage_ == kImageUnchecked) {
        SetItemImage(item, kImageChecked);
        PropagateCheck(item, +1);
    } else if (pressedImage_ == kImageChecked) {
        SetItemImage(item, kImageUnchecked);
        PropagateCheck(item, -1);
    }
}

LRESULT CALLBACK ClCheckWindow::CheckTreeWindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                    LPARAM lParam) {
    auto* self = reinterpret_cast<ClCheckWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return 0;
    const WNDPROC previous = self->previous_;
    switch (msg) {
        case WM_LBUTTONDOWN:
            if (self->OnButtonDown(lParam))
                return 0;
            break;
        case WM_MOUSEMOVE:
            if (self->Tracking()) {
                self->OnMouseMove(lParam);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (self->Tracking()) {
                self->OnButtonUp(lParam);
                return 0;
            }
            break;
        case WM_CANCELMODE:
            if (self->Tracking()) {
                HTREEITEM item = self->pressedItem_;
                self->pressedItem_ = nullptr;
                self->SetItemImage(item, self->pressedImage_);
                ReleaseCapture();
            }
            break;
        case WM_DESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            self->hwnd_.Detach();
            self->pressedItem_ = nullptr;
            break;
        default:
            break;
    }
    return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}
