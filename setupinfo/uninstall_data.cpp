#include "setupinfo/uninstall_data.h"

#include "base/file_io.h"
#include "setupinfo/setup_info.h"
#include "tree/tree.h"
#include "tree/tree_file.h"

namespace {

// Every log entry ends in a 32-bit counter; the image does not store that slot.
constexpr std::uint32_t kLogCounterSize = 4;

int Fail(ClTree* setupTree, ClTree* log, SSetupInfo* info, int* failedPart, int part) {
    ClTreeClear(setupTree);
    if (log)
        ClTreeClear(log);
    if (info)
        SetupInfoFree(info);
    if (failedPart)
        *failedPart = part;
    return 0;
}

}  // namespace

int UninstallDataWrite(HANDLE file, ClTree* setupTree, std::uint8_t selection, ClTree* log,
                       const SSetupInfo* info) {
    return ClTreeSave(file, setupTree, nullptr, CLT_NAMES | CLT_DATA) &&
           WriteFileAll(file, &selection, 1) &&
           ClTreeSave(file, log, nullptr, CLT_NAMES | CLT_DATA) && SetupInfoSave(info, file);
}

int UninstallDataRead(HANDLE file, ClTree* setupTree, std::uint8_t* selection, ClTree* log,
                      SSetupInfo* info, int* failedPart) {
    if (!setupTree)
        return Fail(setupTree, nullptr, nullptr, failedPart, 1);
    ClTreeClear(setupTree);
    if (!ClTreeLoad(file, setupTree, nullptr, 0, 0))
        return Fail(setupTree, nullptr, nullptr, failedPart, 1);
    if (!selection)
        return 1;
    if (!ReadFileAll(file, selection, 1))
        return Fail(setupTree, nullptr, nullptr, failedPart, 2);
    if (!log)
        return 1;
    ClTreeClear(log);
    if (!ClTreeLoad(file, log, nullptr, CLT_LOAD_SPARE, kLogCounterSize))
        return Fail(setupTree, log, nullptr, failedPart, 3);
    if (!info)
        return 1;
    if (!SetupInfoLoad(info, file))
        return Fail(setupTree, log, info, failedPart, 4);
    return 1;
}
