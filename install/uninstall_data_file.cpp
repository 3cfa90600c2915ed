#include "install/uninstall_data_file.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/registry.h"
#include "base/run_flags.h"
#include "base/setup_context.h"
#include "base/win_handles.h"
#include "setupinfo/setup_info.h"
#include "setupinfo/uninstall_data.h"

namespace {

constexpr char kUninstallKeyPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

}  // namespace

int LoadUninstallData(const SSetupInfo* info, ClTree* setupTree, std::uint8_t* selection,
                      ClTree* log, SSetupInfo* earlierInfo, std::uint8_t runFlags) {
    std::unique_ptr<char, FreeDeleter> registered;
    const char* path = g_setup->dataFileArg;
    if (RunMode(runFlags) != RUN_MODE_UNINSTALL) {
        const char* product = info->texts[TEXT_UNINSTALL_KEY];
        char key[MAX_PATH];
        int length =
            std::snprintf(key, sizeof key, "%s%s", kUninstallKeyPrefix, product ? product : "");
        if (product == nullptr || length < 0 || static_cast<std::size_t>(length) >= sizeof key)
            return 0;
        registered.reset(RegReadString(HKEY_LOCAL_MACHINE, key, "UninstallDataFile"));
        if (!registered)
            return 0;
        path = registered.get();
    }
    ClFileHandle file(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok())
        return 0;
    return UninstallDataRead(file.get(), setupTree, selection, log, earlierInfo);
}
