// The check tree on the virtual display, driven by mouse messages at the places the tree view
// itself reports for each item's image and text: the rules that the wizard's two-level trees
// cannot show (three levels, pressing and moving off, cancelling) and filling again.
#include "ui/check_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "resources/ui_ids.h"
#include "tree/tree.h"

namespace {

constexpr std::uint8_t kChecked = COMPONENT_CUSTOM | COMPONENT_STANDARD;

// A component key with flags, sub-item count, a stale counter and a description.
ClTreeNode* AddItem(ClTree* tree, ClTreeNode* parent, const char* name, std::uint8_t flags,
                    std::uint32_t subItems) {
    std::string data(kComponentDescription, '\0');
    data[0] = static_cast<char>(flags);
    StoreLe32(reinterpret_cast<std::uint8_t*>(&data[kComponentSubItems]), subItems);
    StoreLe32(reinterpret_cast<std::uint8_t*>(&data[kComponentChecked]), 77);
    data += std::string("about ") + name + '\0';
    ClTreeNodeInfo info = {};
    info.flags = TN_KEY | TN_NAMED | TN_DATA | (parent ? TN_LINKED : 0);
    info.parent = parent;
    info.name = name;
    info.data = reinterpret_cast<std::uint8_t*>(data.data());
    info.length = static_cast<std::uint32_t>(data.size());
    return ClTreeAddNode(tree, &info);
}

// Apps {Editor (checked), Viewer}, Docs, Tools {Extra {Unzip, Zip}, Shell}, every group opened.
// A group's sub-item count is the number of all items below it, as setupkit writes it.
class CheckTree : public testing::Test {
  protected:
    void SetUp() override {
        ClTreeNode* apps = AddItem(items, nullptr, "Apps", kChecked, 2);
        AddItem(items, apps, "Editor", kChecked, 0);
        AddItem(items, apps, "Viewer", 0, 0);
        AddItem(items, nullptr, "Docs", 0, 0);
        ClTreeNode* tools = AddItem(items, nullptr, "Tools", 0, 4);
        ClTreeNode* extra = AddItem(items, tools, "Extra", 0, 2);
        AddItem(items, extra, "Unzip", 0, 0);
        AddItem(items, extra, "Zip", 0, 0);
        AddItem(items, tools, "Shell", 0, 0);
        Create();
    }
    void TearDown() override {
        check.ReleaseCheckTree();
        DestroyWindow(parent);
        ClTreeDestroy(items);
    }
    void Create() {
        ASSERT_TRUE(
            check.CreateCheckTree(parent, RECT{10, 10, 330, 290}, items, IDB_CHECK_IMAGES, 100));
        tree = check.GetHwnd();
        for (const char* group : {"Apps", "Tools", "Extra"})
            check.ToggleExpand(Item(group));
    }

    // The item's name; its node's information in *info.
    std::string Read(HTREEITEM item, const ClTreeNodeInfo** info = nullptr) {
        char text[64] = {};
        TVITEMA read = {TVIF_TEXT | TVIF_PARAM, item};
        read.pszText = text;
        read.cchTextMax = sizeof text;
        TreeView_GetItem(tree, &read);
        if (info)
            *info = ClTreeNodeGetInfo(reinterpret_cast<ClTreeNode*>(read.lParam));
        return text;
    }
    HTREEITEM Item(const std::string& name) {
        HTREEITEM item = TreeView_GetRoot(tree);
        while (item && Read(item) != name)
            item = TreeView_GetNextVisible(tree, item);
        return item;
    }
    // The items from the one named from on: name, image, "*" when its flags hold the check
    // mask, and for groups "#" and the checked counter.
    std::string State(const char* from = "Apps") {
        std::string out;
        for (HTREEITEM item = Item(from); item; item = TreeView_GetNextVisible(tree, item)) {
            const ClTreeNodeInfo* info = nullptr;
            out += (out.empty() ? "" : " ") + Read(item, &info) +
                   std::to_string(check.GetItemImage(item));
            if ((info->data[0] & kChecked) == kChecked)
                out += "*";
            if (TreeView_GetChild(tree, item))
                out += "#" + std::to_string(LoadLe32(&info->data[kComponentChecked]));
        }
        return out;
    }

    RECT TextRect(HTREEITEM item) {
        // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
        RECT text = {};
        std::memcpy(&text, &item, sizeof item);
        EXPECT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
        return text;
    }
    // A point on the item's image, which lies just left of the text.
    LPARAM OnIcon(const char* name) {
        const RECT text = TextRect(Item(name));
        return MAKELPARAM(text.left - 10, (text.top + text.bottom) / 2);
    }
    void Click(const char* name) {
        SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnIcon(name));
        SendMessageA(tree, WM_LBUTTONUP, 0, OnIcon(name));
    }

    ClTree* items = ClTreeCreate();
    HWND parent = CreateWindowExA(0, "STATIC", "components", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  360, 340, nullptr, nullptr, nullptr, nullptr);
    HWND tree = nullptr;
    ClCheckWindow check{kChecked};
};

TEST_F(CheckTree, MouseRulesAtThreeLevelsAndFillingAgain) {
    // Filled: the checked leaf makes its group partly checked; counters are counted afresh and
    // a group's own check bits come from its leaves only.
    const std::string filled =
        "Apps2#1 Editor1* Viewer0 Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0";
    EXPECT_EQ(State(), filled);
    Click("Viewer");
    EXPECT_EQ(State(), "Apps1*#2 Editor1* Viewer1* Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");
    Click("Apps");
    Click("Editor");
    EXPECT_EQ(State(), filled);

    // Three levels: a group is checked exactly when every leaf below it is.
    Click("Zip");
    EXPECT_EQ(State("Tools"), "Tools2#1 Extra2#1 Unzip0 Zip1* Shell0");
    Click("Unzip");
    Click("Shell");
    EXPECT_EQ(State("Tools"), "Tools1*#4 Extra1*#2 Unzip1* Zip1* Shell1*");
    Click("Extra");  // checked sub-group: unchecks its leaves only
    EXPECT_EQ(State("Tools"), "Tools2#1 Extra0#0 Unzip0 Zip0 Shell1*");
    Click("Tools");  // partly checked: checks the rest
    EXPECT_EQ(State("Tools"), "Tools1*#4 Extra1*#2 Unzip1* Zip1* Shell1*");

    // Pressed: the pressed image while the pointer stays on the icon, the old one when it
    // leaves; releasing elsewhere or a cancelled press changes nothing.
    const std::string before = State();
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnIcon("Docs"));
    EXPECT_EQ(check.GetItemImage(Item("Docs")), kImagePressedUnchecked);
    EXPECT_EQ(GetCapture(), tree);
    SendMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 260));
    EXPECT_EQ(check.GetItemImage(Item("Docs")), kImageUnchecked);
    SendMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, OnIcon("Docs"));
    EXPECT_EQ(check.GetItemImage(Item("Docs")), kImagePressedUnchecked);
    SendMessageA(tree, WM_LBUTTONUP, 0, OnIcon("Viewer"));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnIcon("Editor"));
    EXPECT_EQ(check.GetItemImage(Item("Editor")), kImagePressedChecked);
    SendMessageA(tree, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(State(), before);
    // A click on the text selects the item and leaves its check alone. The tree view tracks
    // the mouse until the button comes up, so the release is queued first.
    const RECT text = TextRect(Item("Viewer"));
    const LPARAM onText = MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2);
    PostMessageA(tree, WM_LBUTTONUP, 0, onText);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, onText);
    EXPECT_EQ(TreeView_GetSelection(tree), Item("Viewer"));
    EXPECT_STREQ(check.GetSelectedDescription(), "about Viewer");
    EXPECT_EQ(State(), before);

    // Filled again from the item tree: the same state, nothing selected.
    check.ReleaseCheckTree();
    EXPECT_EQ(check.GetHwnd(), nullptr);
    Create();
    EXPECT_EQ(State(), before);
    EXPECT_STREQ(check.GetSelectedDescription(), "");

    // No tree or no bitmap: refused. A tree with nothing to show: no control, but no error.
    ClCheckWindow other(kChecked);
    EXPECT_FALSE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, nullptr, IDB_CHECK_IMAGES, 1));
    EXPECT_FALSE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, items, 999, 1));
    ClTree* empty = ClTreeCreate();
    EXPECT_TRUE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, empty, IDB_CHECK_IMAGES, 1));
    EXPECT_EQ(other.GetHwnd(), nullptr);
    ClTreeDestroy(empty);
}

}  // namespace
