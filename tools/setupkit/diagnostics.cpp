#include "tools/setupkit/diagnostics.h"

#include <cstdio>

void Diagnostics::Add(SourcePos pos, const char* kind, const std::string& message) {
    std::string line = file_;
    if (pos.line > 0)
        line += ":" + std::to_string(pos.line) + ":" + std::to_string(pos.column);
    line += std::string(": ") + kind + ": " + message;
    lines_.push_back(line);
    if (kind[0] == 'e')
        ++errors_;
}

std::string HexOffset(std::uint64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(offset));
    return text;
}
