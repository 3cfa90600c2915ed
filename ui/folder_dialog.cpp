#include "ui/folder_dialog.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/dbcs.h"
#include "base/messages.h"
#include "ui/folder_make_dialog.h"

namespace {

// A new folder's path must leave room for its name under this many bytes.
constexpr int kMakeFolderPathLimit = 258;

bool IsListedFolder(const WIN32_FIND_DATAA& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.';
}

// Calls visit with every sub-folder of path whose name does not begin with '.', until it returns
// false.
template <typename Visit>
void ForEachSubFolder(const std::string& path, Visit visit) {
    WIN32_FIND_DATAA found;
    ClFindHandle search(FindFirstFileA((path + "\\*.*").c_str(), &found));
    if (!search.ok())
        return;
    do {
        if (IsListedFolder(found) && !visit(found.cFileName))
            return;
    } while (FindNextFileA(search.get(), &found));
}

bool HasSubFolder(const std::string& path) {
    bool any = false;
    ForEachSubFolder(path, [&](const char*) {
        any = true;
        return false;
    });
    return any;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The label of a listed drive: letter and colon, then what kind of drive it is. Empty for the
// kinds that are not listed (remote, RAM disk, unknown, no root).
std::string DriveLabel(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    switch (GetDriveTypeA(root)) {
        case DRIVE_REMOVABLE:
            return std::string(root, 2) + "(Disk)";
        case DRIVE_FIXED:
            return std::string(root, 2);
        case DRIVE_CDROM:
            return std::string(root, 2) + "(CD-ROM)";
        default:
            return std::string();
    }
}

// The part of path from *at up to the next separator; *at moves behind it. Double-byte
// characters are stepped over, so a trail byte 5C is no separator.
std::string NextPathPart(const char** at) {
    const char* start = *at;
    const char* end = start;
    while (*end != '\0' && *end != '\\') {
        if (IsDBCSLeadByte(static_cast<BYTE>(*end)) && end[1] != '\0')
            ++end;
        ++end;
    }
    *at = *end == '\\' ? end + 1 : end;
    return std::string(start, end);
}

}  // namespace

CGetFolderDialog::CGetFolderDialog(HWND owner, HINSTANCE instance, const SFolderDialogIds& ids,
                                   const char* const* roots, int rootCount, char* buffer, int size)
    : ClDialog(owner, instance),
      ids_(ids),
      roots_(roots),
      rootCount_(roots != nullptr ? rootCount : 1),
      buffer_(buffer),
      size_(size) {}

int CGetFolderDialog::Run() {
    images_.Attach(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1));
    ClIcon icon(static_cast<HICON>(
        LoadImageA(instance_, MAKEINTRESOURCEA(ids_.iconId), IMAGE_ICON, 16, 16, 0)));
    if (!images_.ok() || !icon.ok() || ImageList_AddIcon(images_.get(), icon.get()) < 0 ||
        ImageList_AddIcon(images_.get(), icon.get()) < 0)
        return -1;
    int result = DoModal(ids_.templateId);
    records_.clear();
    return result;
}

INT_PTR CGetFolderDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG)
        return OnInitDialog();
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == tree_) {
        OnTreeNotify(reinterpret_cast<NMHDR*>(lParam));
        // Nothing is vetoed: expanding goes on.
        SetWindowLongPtrA(GetHwnd(), DWLP_MSGRESULT, 0);
        return TRUE;
    }
    return ClDialog::DialogProc(msg, wParam, lParam);
}

BOOL CGetFolderDialog::OnInitDialog() {
    tree_ = GetDlgItem(GetHwnd(), ids_.treeId);
    if (char* title = LoadResourceString(instance_, ids_.titleId)) {
        SetWindowTextA(GetHwnd(), title);
        std::free(title);
    }
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_.get()));
    for (int i = 0; i < rootCount_; ++i) {
        if (roots_ == nullptr || roots_[i] == nullptr || roots_[i][0] == '\0')
            AddDrives(i);
        else
            AddFolderRoot(i);
    }
    ExpandAlongBuffer();
    // Centred on the owner, as a browser opened from a button is expected to appear.
    RECT owner, own;
    HWND ownerWindow = parent_ != nullptr ? parent_ : GetDesktopWindow();
    GetWindowRect(ownerWindow, &owner);
    GetWindowRect(GetHwnd(), &own);
    int x = owner.left + ((owner.right - owner.left) - (own.right - own.left)) / 2;
    int y = owner.top + ((owner.bottom - owner.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(GetHwnd(), nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return TRUE;
}

void CGetFolderDialog::AddDrives(int rootIndex) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string label = DriveLabel(letter);
        if (!label.empty() && !InsertFolder(TVI_ROOT, TVI_LAST, std::string(label, 0, 2) + "\\",
                                            label, label, rootIndex, true))
            return;
    }
}

void CGetFolderDialog::AddFolderRoot(int rootIndex) {
    std::string path = roots_[rootIndex];
    if (!IsFolder(path))
        return;
    std::string label = path;
    for (const char* at = path.c_str(); *at != '\0';) {
        std::string part = NextPathPart(&at);
        if (!part.empty())
            label = part;
    }
    HTREEITEM item =
        InsertFolder(TVI_ROOT, TVI_SORT, path, label, label, rootIndex, HasSubFolder(path));
    if (item != nullptr) {
        ListSubFolders(item);
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    }
}

int CGetFolderDialog::IconPair(const std::string& path) {
    SHFILEINFOA closed = {};
    SHFILEINFOA open = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &closed, sizeof closed, SHGFI_ICON | SHGFI_SMALLICON))
        return 0;
    ClIcon closedIcon(closed.hIcon);
    if (!SHGetFileInfoA(path.c_str(), 0, &open, sizeof open,
                        SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON))
        return 0;
    ClIcon openIcon(open.hIcon);
    int index = ImageList_AddIcon(images_.get(), closedIcon.get());
    if (index < 0)
        return 0;
    if (ImageList_AddIcon(images_.get(), openIcon.get()) < 0) {
        ImageList_Remove(images_.get(), index);
        return 0;
    }
    return index;
}

HTREEITEM CGetFolderDialog::InsertFolder(HTREEITEM parent, HTREEITEM after, const std::string& path,
                                         const std::string& name, const std::string& text,
                                         int rootIndex, bool hasChildren) {
    auto record = std::make_unique<SFolderItem>();
    record->rootIndex = rootIndex;
    record->name = name;
    SHFILEINFOA shell = {};
    std::string shown = text;
    if (SHGetFileInfoA(path.c_str(), 0, &shell, sizeof shell, SHGFI_DISPLAYNAME) &&
        shell.szDisplayName[0] != '\0')
        shown = shell.szDisplayName;
    int image = IconPair(path);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(shown.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image + 1;
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(record.get());
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item != nullptr)
        records_.push_back(std::move(record));
    return item;
}

CGetFolderDialog::SFolderItem* CGetFolderDialog::RecordOf(HTREEITEM item) {
    TVITEMA data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (item == nullptr || !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)))
        return nullptr;
    return reinterpret_cast<SFolderItem*>(data.lParam);
}

std::string CGetFolderDialog::PathOf(HTREEITEM item) {
    std::string below;
    for (;;) {
        SFolderItem* record = RecordOf(item);
        if (record == nullptr)
            return std::string();
        auto parent = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        if (parent == nullptr) {
            const char* root = roots_ != nullptr ? roots_[record->rootIndex] : nullptr;
            std::string top = root != nullptr && root[0] != '\0' ? std::string(root)
                                                                 : std::string(record->name, 0, 2);
            return top + below;
        }
        below = "\\" + record->name + below;
        item = parent;
    }
}

void CGetFolderDialog::SetHasChildren(HTREEITEM item, bool hasChildren) {
    TVITEMA data = {};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    data.cChildren = hasChildren ? 1 : 0;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
}

HTREEITEM CGetFolderDialog::ChildNamed(HTREEITEM parent, const char* name) {
    for (auto child = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         child != nullptr;
         child = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        SFolderItem* record = RecordOf(child);
        if (record != nullptr && EqualNoCase(record->name.c_str(), name))
            return child;
    }
    return nullptr;
}

void CGetFolderDialog::ListSubFolders(HTREEITEM item) {
    SFolderItem* record = RecordOf(item);
    if (record == nullptr)
        return;
    std::string path = PathOf(item);
    if (record->listed) {
        for (auto child = reinterpret_cast<HTREEITEM>(
                 SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
             child != nullptr;
             child = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT,
                                                              reinterpret_cast<LPARAM>(child)))) {
            SetHasChildren(child, HasSubFolder(PathOf(child)));
        }
    }
    int added = 0;
    ForEachSubFolder(path, [&](const char* name) {
        if (record->listed && ChildNamed(item, name) != nullptr)
            return true;
        std::string child = path + "\\" + name;
        if (!InsertFolder(item, TVI_SORT, child, name, name, record->rootIndex,
                          HasSubFolder(child)))
            return false;  // the tree shows what was inserted
        ++added;
        return true;
    });
    if (record->listed || added == 0) {
        if (!record->listed)
            SetHasChildren(item, false);
        return;
    }
    record->listed = true;
    TVITEMA data = {};
    data.mask = TVIF_STATE;
    data.hItem = item;
    data.state = data.stateMask = TVIS_EXPANDEDONCE;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
}

void CGetFolderDialog::ExpandAlongBuffer() {
    const char* wanted = buffer_;
    HTREEITEM deepest = nullptr;
    for (auto top = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
         top != nullptr && deepest == nullptr;
         top = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(top)))) {
        std::string root = PathOf(top);
        auto length = static_cast<std::uint32_t>(root.size());
        if (!root.empty() && CompareNoCaseN(wanted, root.c_str(), length) &&
            (wanted[length] == '\0' || IsCharAt(wanted, length, '\\'))) {
            deepest = top;
            wanted += length;
        }
    }
    for (HTREEITEM item = deepest; item != nullptr;) {
        if (SFolderItem* record = RecordOf(item); record != nullptr && !record->listed)
            ListSubFolders(item);
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        deepest = item;
        while (*wanted == '\\')
            ++wanted;
        if (*wanted == '\0')
            break;
        std::string part = NextPathPart(&wanted);
        item = ChildNamed(item, part.c_str());
    }
    if (deepest == nullptr)
        deepest = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (deepest != nullptr) {
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(deepest));
        SendMessageA(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(deepest));
    }
}

void CGetFolderDialog::OnTreeNotify(NMHDR* header) {
    auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
    if (header->code == TVN_ITEMEXPANDINGA && (change->action & TVE_EXPAND))
        ListSubFolders(change->itemNew.hItem);
    else if (header->code == TVN_SELCHANGEDA) {
        EnableWindow(GetDlgItem(GetHwnd(), IDOK), TRUE);
        EnableWindow(GetDlgItem(GetHwnd(), ids_.makeButtonId), TRUE);
    }
}

HTREEITEM CGetFolderDialog::Selected() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void CGetFolderDialog::ForgetItems() {
    // The items go before their records.
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    records_.clear();
}

void CGetFolderDialog::OnOK() {
    HTREEITEM item = Selected();
    if (item == nullptr) {
        OnCancel();
        return;
    }
    std::snprintf(buffer_, static_cast<std::size_t>(size_), "%s", PathOf(item).c_str());
    ForgetItems();
    EndDialog(GetHwnd(), 1);
}

void CGetFolderDialog::OnCancel() {
    ForgetItems();
    EndDialog(GetHwnd(), 2);
}

int CGetFolderDialog::OnCommand(HWND control, WORD id, WORD notifyCode) {
    if (id == ids_.makeButtonId && id != IDOK && id != IDCANCEL) {
        MakeFolder();
        return 0;
    }
    return ClDialog::OnCommand(control, id, notifyCode);
}

void CGetFolderDialog::MakeFolder() {
    HTREEITEM item = Selected();
    if (item == nullptr)
        return;
    std::string path = PathOf(item);
    int limit = kMakeFolderPathLimit - static_cast<int>(path.size());
    if (limit <= 0)
        return;
    CGetFolderMakeDialog ask(GetHwnd(), instance_, limit, ids_.makeEditId, ids_.captionId,
                             ids_.messageId);
    if (ask.DoModal(ids_.makeTemplateId) != 1)
        return;
    // A name of blanks and dots names no new folder: Windows would drop them.
    const char* name = ask.Name();
    if (name[std::strspn(name, ". ")] == '\0')
        return;
    std::string made = path + "\\" + name;
    CreateDirectoryA(made.c_str(), nullptr);
    if (!IsFolder(made))
        return;
    SFolderItem* record = RecordOf(item);
    if (record != nullptr && record->listed && ChildNamed(item, name) == nullptr &&
        !InsertFolder(item, TVI_SORT, made, name, name, record->rootIndex, false))
        return;
    SetHasChildren(item, true);
    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    // The new folder is the one the user will want: it becomes the selection.
    if (HTREEITEM child = ChildNamed(item, name))
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
}
