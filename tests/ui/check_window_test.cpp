// The check tree on the virtual display, driven by mouse messages at the places the tree view
// itself reports for each item's image and text.
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
    data += std::string("about ") + name;
    data += '\0';
    ClTreeNodeInfo info = {};
    info.flags = TN_KEY | TN_NAMED | TN_DATA | (parent ? TN_LINKED : 0);
    info.parent = parent;
    info.name = name;
    info.data = reinterpret_cast<std::uint8_t*>(data.data());
    info.length = static_cast<std::uint32_t>(data.size());
    return ClTreeAddNode(tree, &info);
}

// Apps {Editor (checked), Viewer}, Docs, Tools {Extra {Unzip, Zip}, Shell}. A group's
// sub-item count is the number of all items below it, as setupkit writes it.
ClTree* MakeComponents() {
    ClTree* tree = ClTreeCreate();
    ClTreeNode* apps = AddItem(tree, nullptr, "Apps", kChecked, 2);
    AddItem(tree, apps, "Editor", kChecked, 0);
    AddItem(tree, apps, "Viewer", 0, 0);
    AddItem(tree, nullptr, "Docs", 0, 0);
    ClTreeNode* tools = AddItem(tree, nullptr, "Tools", 0, 4);
    ClTreeNode* extra = AddItem(tree, tools, "Extra", 0, 2);
    AddItem(tree, extra, "Unzip", 0, 0);
    AddItem(tree, extra, "Zip", 0, 0);
    AddItem(tree, tools, "Shell", 0, 0);
    return tree;
}

class CheckTree : public testing::Test {
  protected:
    void SetUp() override {
        items = MakeComponents();
        parent = CreateWindowExA(0, "STATIC", "components", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 360, 340, nullptr, nullptr, nullptr, nullptr);
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
        ASSERT_NE(tree, nullptr);
        // Groups start collapsed; their children need rectangles to be clicked.
        for (const char* group : {"Apps", "Tools", "Extra"})
            check.ToggleExpand(Item(group));
    }

    HTREEITEM Find(HTREEITEM item, const std::string& name) {
        for (; item; item = TreeView_GetNextSibling(tree, item)) {
            if (Name(item) == name)
                return item;
            if (HTREEITEM inside = Find(TreeView_GetChild(tree, item), name))
                return inside;
        }
        return nullptr;
    }
    HTREEITEM Item(const std::string& name) { return Find(TreeView_GetRoot(tree), name); }
    std::string Name(HTREEITEM item) {
        char text[64] = {};
        TVITEMA read = {};
        read.mask = TVIF_TEXT;
        read.hItem = item;
        read.pszText = text;
        read.cchTextMax = sizeof text;
        TreeView_GetItem(tree, &read);
        return text;
    }
    const ClTreeNodeInfo* Node(HTREEITEM item) {
        TVITEMA read = {};
        read.mask = TVIF_PARAM;
        read.hItem = item;
        TreeView_GetItem(tree, &read);
        return ClTreeNodeGetInfo(reinterpret_cast<ClTreeNode*>(read.lParam));
    }
    // Every item in tree order: name, image, "*" when its flags hold the check mask, and for
    // groups "#" and the checked counter.
    std::string State(HTREEITEM item = nullptr) {
        std::string out;
        for (item = item ? item : TreeView_GetRoot(tree); item;
             item = TreeView_GetNextSibling(tree, item)) {
            const ClTreeNodeInfo* info = Node(item);
            out += (out.empty() ? "" : " ") + Name(item) + std::to_string(check.GetItemImage(item));
            if ((info->data[0] & kChecked) == kChecked)
                out += "*";
            if (HTREEITEM child = TreeView_GetChild(tree, item)) {
                out += "#" + std::to_string(LoadLe32(&info->data[kComponentChecked]));
                out += " " + State(child);
            }
        }
        return out;
    }

    // A point on the item's image: left of the text rectangle, where the control's own hit
    // test reports the icon.
    RECT TextRect(HTREEITEM item) {
        // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
        RECT text = {};
        std::memcpy(&text, &item, sizeof item);
        EXPECT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
        return text;
    }
    LPARAM OnIcon(HTREEITEM item) {
        const RECT text = TextRect(item);
        const int y = (text.top + text.bottom) / 2;
        for (int x = text.left - 1; x > text.left - 40; --x) {
            TVHITTESTINFO hit = {{x, y}};
            if (TreeView_HitTest(tree, &hit) == item && hit.flags == TVHT_ONITEMICON)
                return MAKELPARAM(x - 4, y);  // well inside the 16 pixels
        }
        ADD_FAILURE() << "no icon found for " << Name(item);
        return 0;
    }
    LPARAM OnText(HTREEITEM item) {
        const RECT text = TextRect(item);
        return MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2);
    }
    void Click(const char* name) {
        LPARAM at = OnIcon(Item(name));
        SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(tree, WM_LBUTTONUP, 0, at);
    }

    ClTree* items = nullptr;
    HWND parent = nullptr;
    HWND tree = nullptr;
    ClCheckWindow check{kChecked};
};

TEST_F(CheckTree, ClicksOnImagesCheckLeavesAndGroups) {
    // Filled: the checked leaf makes its group partly checked; counters are counted afresh and
    // a group's own check bits come from its leaves only.
    const std::string filled =
        "Apps2#1 Editor1* Viewer0 Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0";
    EXPECT_EQ(State(), filled);

    Click("Viewer");
    EXPECT_EQ(State(), "Apps1*#2 Editor1* Viewer1* Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");
    Click("Apps");
    EXPECT_EQ(State(), "Apps0#0 Editor0 Viewer0 Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");
    Click("Apps");
    Click("Editor");
    EXPECT_EQ(State(), "Apps2#1 Editor0 Viewer1* Docs0 Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");
    Click("Apps");  // partly checked: checks the rest
    Click("Docs");
    EXPECT_EQ(State(), "Apps1*#2 Editor1* Viewer1* Docs1* Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");

    // Three levels: a group is checked exactly when every leaf below it is.
    Click("Zip");
    EXPECT_EQ(State(Item("Tools")), "Tools2#1 Extra2#1 Unzip0 Zip1* Shell0");
    Click("Unzip");
    EXPECT_EQ(State(Item("Tools")), "Tools2#3 Extra1*#2 Unzip1* Zip1* Shell0");
    Click("Shell");
    EXPECT_EQ(State(Item("Tools")), "Tools1*#4 Extra1*#2 Unzip1* Zip1* Shell1*");
    Click("Extra");  // checked sub-group: unchecks its leaves only
    EXPECT_EQ(State(Item("Tools")), "Tools2#1 Extra0#0 Unzip0 Zip0 Shell1*");
    Click("Tools");
    EXPECT_EQ(State(Item("Tools")), "Tools1*#4 Extra1*#2 Unzip1* Zip1* Shell1*");
    Click("Tools");
    EXPECT_EQ(State(Item("Tools")), "Tools0#0 Extra0#0 Unzip0 Zip0 Shell0");
    Click("Extra");
    EXPECT_EQ(State(Item("Tools")), "Tools2#3 Extra1*#2 Unzip1* Zip1* Shell0");

    EXPECT_EQ(check.FindFirstChecked(nullptr), Item("Editor"));
    EXPECT_EQ(check.FindFirstChecked(Item("Tools")), Item("Unzip"));
    check.SetAllChecks(nullptr, FALSE);
    EXPECT_EQ(check.FindFirstChecked(nullptr), nullptr);
    check.SetAllChecks(nullptr, TRUE);
    EXPECT_EQ(State(),
              "Apps1*#2 Editor1* Viewer1* Docs1* Tools1*#4 Extra1*#2 Unzip1* Zip1* Shell1*");
}

TEST_F(CheckTree, PressingMovingAndTextClicks) {
    // Pressed: the pressed image while the pointer stays on the icon, the old one when it
    // leaves; releasing elsewhere changes nothing.
    const std::string before = State();
    HTREEITEM docs = Item("Docs");
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnIcon(docs));
    EXPECT_EQ(check.GetItemImage(docs), kImagePressedUnchecked);
    EXPECT_EQ(GetCapture(), tree);
    SendMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 260));
    EXPECT_EQ(check.GetItemImage(docs), kImageUnchecked);
    SendMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, OnIcon(docs));
    EXPECT_EQ(check.GetItemImage(docs), kImagePressedUnchecked);
    SendMessageA(tree, WM_MOUSEMOVE, MK_LBUTTON, OnIcon(Item("Viewer")));
    SendMessageA(tree, WM_LBUTTONUP, 0, OnIcon(Item("Viewer")));
    EXPECT_EQ(State(), before);
    EXPECT_EQ(GetCapture(), nullptr);

    // A checked item pressed shows the pressed checked image; a cancelled press restores it.
    HTREEITEM editor = Item("Editor");
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnIcon(editor));
    EXPECT_EQ(check.GetItemImage(editor), kImagePressedChecked);
    SendMessageA(tree, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(State(), before);

    // A click on the text selects the item and leaves its check alone. The tree view tracks
    // the mouse until the button comes up, so the release is queued first.
    HTREEITEM viewer = Item("Viewer");
    PostMessageA(tree, WM_LBUTTONUP, 0, OnText(viewer));
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, OnText(viewer));
    EXPECT_EQ(TreeView_GetSelection(tree), viewer);
    EXPECT_STREQ(check.GetSelectedDescription(), "about Viewer");
    EXPECT_EQ(State(), before);
}

TEST_F(CheckTree, FillingAgainGivesTheSameState) {
    Click("Zip");
    Click("Viewer");
    const std::string state = State();
    check.ReleaseCheckTree();
    EXPECT_EQ(check.GetHwnd(), nullptr);
    Create();
    EXPECT_EQ(State(), state);
    EXPECT_STREQ(check.GetSelectedDescription(), "");

    // No tree: refused. A tree with nothing to show: no control, but not an error.
    ClCheckWindow other(kChecked);
    EXPECT_FALSE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, nullptr, IDB_CHECK_IMAGES, 1));
    ClTree* empty = ClTreeCreate();
    EXPECT_TRUE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, empty, IDB_CHECK_IMAGES, 1));
    EXPECT_EQ(other.GetHwnd(), nullptr);
    EXPECT_FALSE(other.CreateCheckTree(parent, RECT{0, 0, 10, 10}, items, 999, 1))
        << "a missing bitmap";
    ClTreeDestroy(empty);
}

}  // namespace
