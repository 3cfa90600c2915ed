#include "tools/setupkit/scratch_file.h"

#include "tools/setupkit/diagnostics.h"

ScratchFile::ScratchFile() {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "skv", 0, name))
        throw ToolError("cannot make a temporary file");
    // Deleted on close: nothing stays behind, not even when the process is stopped.
    stream_ = FileStreamOpen(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (!stream_) {
        DeleteFileA(name);
        throw ToolError(std::string("cannot open the temporary file ") + name);
    }
}

ScratchFile::~ScratchFile() {
    FileStreamClose(stream_);
}
