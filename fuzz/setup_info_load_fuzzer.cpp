// SetupInfoLoad on arbitrary bytes. A record that loads must save and load again to the same
// record, so that an uninstall data file written from it reads back unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/platform.h"
#include "setupinfo/setup_info.h"

namespace {

std::string ScratchPath(const char* name) {
    return "/tmp/setup_info_fuzz_" + std::to_string(getpid()) + "_" + name;
}

HANDLE OpenScratch(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

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
    static const std::string input = ScratchPath("in");
    static const std::string output = ScratchPath("out");
    HANDLE file = OpenScratch(input, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE)
        std::abort();
    DWORD written = 0;
    WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SSetupInfo info;
    int loaded = SetupInfoLoad(&info, file);
    CloseHandle(file);
    if (!loaded)
        return 0;

    file = OpenScratch(output, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE || !SetupInfoSave(&info, file))
        std::abort();
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SSetupInfo again;
    if (!SetupInfoLoad(&again, file) || !SameRecord(info, again))
        std::abort();
    CloseHandle(file);
    return 0;
}
