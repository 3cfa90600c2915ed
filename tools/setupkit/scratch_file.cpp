#include "tools/setupkit/scratch_file.h"

#include "tools/setupkit/diagnostics.h"

ScratchFile::ScratchFile() {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "skv", 0, name))
        throw ToolError("cannot make a temporary file");
    path_ = name;
    stream_ = FileStreamOpen(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (!stream_) {
        DeleteFileA(name);
        throw ToolError(std::string("cannot open the temporary file ") + name);
    }
}

ScratchFile::~ScratchFile() {
    FileStreamClose(stream_);
    DeleteFileA(path_.c_str());
}
