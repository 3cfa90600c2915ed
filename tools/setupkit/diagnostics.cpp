#include "tools/setupkit/diagnostics.h"

void Diagnostics::Add(SourcePos pos, const char* kind, const std::string& message) {
    std::string line = file_;
    if (pos.line > 0)
        line += ":" + std::to_string(pos.line) + ":" + std::to_string(pos.column);
    line += std::string(": ") + kind + ": " + message;
    lines_.push_back(line);
    if (kind[0] == 'e')
        ++errors_;
}
