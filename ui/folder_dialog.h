// CGetFolderDialog: a modal tree of folders, filled lazily from the file system with the shell's
// icons and display names, from which the user picks a folder or creates a new one (with
// ui/folder_make_dialog.h). The callers give every template, control and string id.
// User-interface thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "ui/dialog.h"

// The resources a folder browser is made of.
struct SFolderDialogIds {
    WORD titleId;         // string: the dialog's title
    WORD templateId;      // the dialog with the folder tree
    WORD iconId;          // 16x16 icon for items whose folder has no shell icon
    WORD makeButtonId;    // its create-folder button
    WORD treeId;          // its tree control
    WORD makeTemplateId;  // the dialog that asks for a new folder's name
    WORD makeEditId;      // that dialog's name edit
    WORD captionId;       // string: caption of the forbidden-character message
    WORD messageId;       // string: the forbidden-character message
};

class CGetFolderDialog : public ClDialog {
  public:
    // roots: rootCount folders shown at the top of the tree; a null or empty one stands for the
    // list of all drives, and so does a missing array. buffer (size bytes) holds the folder to
    // open at, and receives the chosen one.
    CGetFolderDialog(HWND owner, HINSTANCE instance, const SFolderDialogIds& ids,
                     const char* const* roots, int rootCount, char* buffer, int size);

    // Shows the dialog: 1 when a folder was chosen (its path is in the buffer), 2 when
    // cancelled (the buffer unchanged), 0 when the template is missing, -1 when the dialog or its
    // images cannot be made.
    int Run();

    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The selected folder's path into the buffer, then ends with 1; without a selection as
    // OnCancel.
    void OnOK() override;
    void OnCancel() override;
    int OnCommand(HWND control, WORD id, WORD notifyCode) override;

  private:
    // The lParam of every tree item.
    struct SFolderItem {
        bool listed = false;  // its sub-folders have been listed
        int rootIndex = 0;    // the root it belongs to
        std::string name;     // a folder's name; a root's label
    };

    BOOL OnInitDialog();
    void OnTreeNotify(NMHDR* header);
    void AddDrives(int rootIndex);
    void AddFolderRoot(int rootIndex);
    // Inserts an item for the folder at path below parent (sorted, or last), with its shell
    // icon and display name (text when the shell gives none). Null on failure.
    HTREEITEM InsertFolder(HTREEITEM parent, HTREEITEM after, const std::string& path,
                           const std::string& name, const std::string& text, int rootIndex,
                           bool hasChildren);
    // Lists the sub-folders of item, or, when listed before, adds the new ones and refreshes
    // the expand buttons of the ones it has.
    void ListSubFolders(HTREEITEM item);
    void SetHasChildren(HTREEITEM item, bool hasChildren);
    // Opens the tree along the buffer's path and selects the deepest folder found.
    void ExpandAlongBuffer();
    HTREEITEM ChildNamed(HTREEITEM parent, const char* name);
    void MakeFolder();
    SFolderItem* RecordOf(HTREEITEM item);
    std::string PathOf(HTREEITEM item);
    // The image index of the folder's closed icon; the open one follows it.
    int IconPair(const std::string& path);
    HTREEITEM Selected();
    void ForgetItems();

    SFolderDialogIds ids_;
    const char* const* roots_;
    int rootCount_;
    char* buffer_;
    int size_;
    ClImageList images_;
    HWND tree_ = nullptr;
    std::vector<std::unique_ptr<SFolderItem>> records_;
};
