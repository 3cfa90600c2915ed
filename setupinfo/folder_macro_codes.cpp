#include "setupinfo/folder_macro_codes.h"

namespace {

// Indexed by id.
const char* const kCodes[kFolderMacroCount] = {
    "NN", "IF", "DT", "FN", "PS", "PM", "ID", "WD", "WF", "SF", "NW", "PF", "OT", "RV",
    "CR", "CU", "LM", "US", "CC", "86", "64", "PD", "CM", "CP", "CV", "CW", "CD", "SX"};

}  // namespace

std::uint16_t FolderMacroId(const char* text) {
    if (text == nullptr)
        return FolderMacro::OT;
    for (std::uint16_t id = 0; id < kFolderMacroCount; ++id) {
        // The second byte is read only after the first matched a non-zero code byte.
        if (text[0] == kCodes[id][0] && text[1] == kCodes[id][1])
            return id;
    }
    return FolderMacro::OT;
}

const char* FolderMacroCode(std::uint16_t id) {
    return id < kFolderMacroCount ? kCodes[id] : "";
}
