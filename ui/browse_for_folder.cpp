#include "ui/browse_for_folder.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/dbcs.h"
#include "base/registry.h"

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

}  // namespace

int BrowseForFolder(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                    int size) {
    return BrowseForFolderInRoots(module, owner, ids, buffer, size, nullptr, 0);
}

int BrowseForFolderInRoots(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                           int size, const char* const* roots, int rootCount) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    CGetFolderDialog dialog(owner, module, ids, roots, rootCount, buffer, size);
    return dialog.Run();
}

int BrowseShellFolder(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                      int size, const char* const* valueNames, const HKEY* rootKeys, int count) {
    std::vector<std::unique_ptr<char, FreeDeleter>> folders;
    std::vector<const char*> roots;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<char, FreeDeleter> folder(RegReadString(
            rootKeys != nullptr ? rootKeys[i] : HKEY_CURRENT_USER, kShellFolders, valueNames[i]));
        if (folder == nullptr)
            continue;
        auto length = static_cast<std::uint32_t>(std::strlen(folder.get()));
        if (length > 0 && IsCharAt(folder.get(), length - 1, '\\'))
            folder.get()[length - 1] = '\0';
        roots.push_back(folder.get());
        folders.push_back(std::move(folder));
    }
    if (roots.empty())
        return -1;
    return BrowseForFolderInRoots(module, owner, ids, buffer, size, roots.data(),
                                  static_cast<int>(roots.size()));
}
