#include "tools/setupkit/scratch_file.h"

#include "tools/setupkit/diagnostics.h"

ScratchFile::ScratchFile() {
    if (!file_.Create() || (stream_ = FileStreamAttach(file_.handle(), 0)) == nullptr)
        throw ToolError("cannot make a temporary file");
}

ScratchFile::~ScratchFile() {
    FileStreamClose(stream_);
}
