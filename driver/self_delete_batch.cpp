#include "driver/self_delete_batch.h"

#include <cstring>
#include <string>

#include "base/file_io.h"
#include "base/win_handles.h"
#include "driver/shared_uninstaller.h"
#include "setupinfo/folder_macros.h"

namespace {

std::string DeleteLine(const std::string& path) {
    return "del \"" + path + "\"\r\n";
}

}  // namespace

int WriteSelfDeleteBatch(SSetupInfo* info, ClCompactRegistry* runOnce) {
    // The join puts exactly one separator between the Windows folder and the name.
    char basePath[kFolderPathSize];
    if (ExpandFolderMacros(info, FolderMacro::WF, kSelfDeleteBaseName, nullptr, basePath) ==
        nullptr)
        return 1;
    std::string base = basePath;
    std::string batch = base + ".bat";
    ClFileHandle file(CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok())
        return 1;

    char uninstaller[kFolderPathSize];
    if (ExpandFolderMacros(info, FolderMacro::WF, kSharedUninstallerFile, nullptr, uninstaller) !=
        nullptr) {
        // The batch deletes itself last: cmd.exe has read that line by then.
        std::string lines = DeleteLine(uninstaller) + DeleteLine(base + ".pif") + DeleteLine(batch);
        WriteFileAll(file.get(), lines.data(), static_cast<std::uint32_t>(lines.size()));
        std::string quoted = "\"" + batch + "\"";
        runOnce->SetValue(kSelfDeleteValue, REG_SZ, quoted.c_str(),
                          static_cast<DWORD>(quoted.size()));
    }
    SetEndOfFile(file.get());
    return 1;
}
