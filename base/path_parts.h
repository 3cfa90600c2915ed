// Cutting paths at their separators, double-byte aware.
#pragma once

// Cuts path (changed in place) at its last separator, after dropping one trailing separator.
// 1, or 0 when the path has no separator or is shorter than 3 bytes.
int CutLastPathPart(char* path);
