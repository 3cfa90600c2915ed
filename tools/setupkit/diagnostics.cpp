#include "tools/setupkit/diagnostics.h"

#include <cstdio>

#include "base/platform.h"

void Diagnostics::Error(SourcePos pos, const std::string& message) {
    std::string line = file_;
    if (pos.line > 0)
        line += ":" + std::to_string(pos.line) + ":" + std::to_string(pos.column);
    lines_.push_back(line + ": error: " + message);
}

std::string HexOffset(std::uint64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(offset));
    return text;
}

std::string SystemErrorText(std::uint32_t error) {
    switch (error) {
        case ERROR_DISK_FULL:
            return "the disk is full";
        case ERROR_FILE_TOO_LARGE:
            return "the file is larger than the file system allows";
        case ERROR_ACCESS_DENIED:
            return "access denied";
        default:
            return "system error " + std::to_string(error);
    }
}
