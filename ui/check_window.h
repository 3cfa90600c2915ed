// ClCheckWindow: a tree view that shows a ClTree of installable items with a check image in
// front of each, lets the user check and uncheck them with the mouse, and keeps the check state
// in the item tree itself. User-interface thread only.
//
// Items are the key nodes with a component data block (package/layout/package_layout.h): flags
// byte, sub-item count, checked counter, description. A shown item with sub-keys is a group, one
// without is a leaf. A leaf is checked when its flags hold all bits of the check mask.
//
// Counting rule, at any depth: a group's checked counter counts every checked leaf below it and
// every complete group below it, so it reaches the sub-item count (the number of all items
// below the group) exactly when every leaf below the group is checked. A group is then shown
// checked and gets the check-mask bits; with some leaves checked it is shown partly checked.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "base/win_handles.h"

class ClTree;
struct ClTreeNode;

// Images of the check bitmap, 16 pixels each, in this order.
enum CheckImage {
    kImageUnchecked = 0,
    kImageChecked = 1,
    kImagePartlyChecked = 2,
    kImageOverCount = 3,  // a group's counter above its sub-item count: inconsistent counts
    kImagePressedUnchecked = 4,
    kImagePressedChecked = 5,
};

class ClCheckWindow {
  public:
    // checkMask: the flag bits that mark an item as checked.
    explicit ClCheckWindow(std::uint8_t checkMask) : checkMask_(checkMask) {}
    virtual ~ClCheckWindow();
    ClCheckWindow(const ClCheckWindow&) = delete;
    ClCheckWindow& operator=(const ClCheckWindow&) = delete;

    // Creates the tree view at rect in parent, shows items (not owned) with the check images
    // of bitmap bitmapId, and takes over its mouse handling. FALSE for a null tree or when the
    // image list or the control cannot be made. A tree that cannot be shown (no top-level item)
    // leaves no control behind but still gives TRUE.
    BOOL CreateCheckTree(HWND parent, const RECT& rect, ClTree* items, WORD bitmapId,
                         UINT controlId);
    // Forgets the tree and destroys the control and the image list.
    void ReleaseCheckTree();

    // Checks or unchecks every leaf below parent (null: the whole tree).
    void SetAllChecks(HTREEITEM parent, BOOL check);
    // Expands a collapsed item or collapses an expanded one; null: the selected item.
    void ToggleExpand(HTREEITEM item);
    // The selected item's description; empty when nothing is selected or it has none.
    const char* GetSelectedDescription();
    // The item's image, -1 if it cannot be read.
    int GetItemImage(HTREEITEM item);
    // Shows image on the item; image 0 clears and image 1 sets the item's check-mask bits.
    void SetItemImage(HTREEITEM item, int image);
    HWND GetHwnd() const { return hwnd_.get(); }

  private:
    BOOL FillItems(ClTreeNode* node, HTREEITEM parentItem);
    BOOL PropagateCheck(HTREEITEM item, int delta);
    void ShowImage(HTREEITEM item, int image);
    ClTreeNode* NodeOf(HTREEITEM item);
    HTREEITEM Relative(HTREEITEM item, UINT relation);
    bool IsGroup(HTREEITEM item);
    // The item whose icon lies under lParam's point, or null.
    HTREEITEM IconAt(LPARAM lParam);
    void ShowPressed(HTREEITEM item, int image);
    bool Tracking() const;
    // Mouse messages: true when handled (the tree view does not see them).
    bool OnButtonDown(LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void OnButtonUp(LPARAM lParam);
    static LRESULT CALLBACK CheckTreeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    ClTree* items_ = nullptr;
    ClWindow hwnd_;  // let go of when its parent destroys it first
    ClImageList images_;
    int pressedImage_ = -1;
    HTREEITEM pressedItem_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::uint32_t checkMask_;
};
