// Zero-terminated strings on the heap, as the operations that hand strings to their callers
// return them (the caller frees them with std::free).
#pragma once

// A heap copy of text, or null if memory runs out.
char* CopyToHeap(const char* text);
