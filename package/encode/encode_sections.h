// Writing an encoded stage as its sections: each section is first written to a temporary file,
// since its length is known only at the end, and then copied behind the lengths of all.
#pragma once

#include <initializer_list>

#include "base/platform.h"
#include "base/temp_file.h"

// Writes the u32 little-endian lengths of the sections and then the sections themselves, at
// the output's current position. 0 if a section is 4 GiB or longer or a read or write fails.
int WriteSections(HANDLE output, std::initializer_list<const ClTempFile*> sections);
