// SetupInfoLoad on arbitrary bytes. A record that loads must save and load again to the same
// record, so that an uninstall data file written from it reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/platform.h"
#include "fuzz/scratch_file.h"
#include "setupinfo/setup_info.h"

namespace {

bool SameText(const char* a, const char* b) {
    return std::strcmp(a ? a : "", b ? b : "") == 0;
}

bool SameRecord(const SSetupInfo& a, const SSetupInfo& b) {
    if (a.pageBits != b.pageBits || a.optionBits != b.optionBits ||
        a.installFolderMacro != b.installFolderMacro ||
        a.registryRootMacro != b.registryRootMacro || a.extraNumber != b.extraNumber ||
        a.listCount != b.listCount)
        return false;
    for (int i = 0; i < kSetupInfoTextCount; ++i) {
        if (!SameText(a.texts[i], b.texts[i]))
            return false;
    }
    for (int i = 0; i < a.listCount; ++i) {
        if (!SameText(a.list[i], b.list[i]))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ClTempFile input = OpenScratchFile();
    static const ClTempFile output = OpenScratchFile();
    FillScratchFile(input.handle(), data, size);
    SSetupInfo info;
    if (!SetupInfoLoad(&info, input.handle()))
        return 0;

    ClearScratchFile(output.handle());
    if (!SetupInfoSave(&info, output.handle()) || !SetFilePosition(output.handle(), 0))
        std::abort();
    SSetupInfo again;
    if (!SetupInfoLoad(&again, output.handle()) || !SameRecord(info, again))
        std::abort();
    return 0;
}
