// ClTempFile: a scratch file for data that nobody keeps, such as a section the encoder writes
// before it knows its length, or data decoded only to be checked.
//
// The file is made in the folder for temporary files, open for reading and writing and not
// shared. The system removes it when its handle is closed, and also when the process ends
// without closing it, so no failure or crash leaves one behind.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "base/win_handles.h"

class ClTempFile {
  public:
    // Makes a new empty file in place of the one held so far; 1, or 0 if that fails.
    int Create();
    HANDLE handle() const { return file_.get(); }
    bool ok() const { return file_.ok(); }
    // The file's length (what has been written to it); 0 if it cannot be had.
    int Size(std::uint64_t* size) const;
    // Copies the whole file to the output's current position; 0 if a read or write fails.
    int CopyTo(HANDLE output) const;
    // Closes and so removes the file.
    void Close() { file_.Close(); }

  private:
    ClFileHandle file_;
};
