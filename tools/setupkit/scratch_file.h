// A stream into a temporary file for decoded data that nobody keeps (verify, list --sizes).
#pragma once

#include "base/file_stream.h"
#include "base/temp_file.h"

class ScratchFile {
  public:
    ScratchFile();  // throws ToolError when no temporary file can be made
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    SFileStream* stream() { return stream_; }

  private:
    ClTempFile file_;
    SFileStream* stream_ = nullptr;  // borrows the file's handle
};
