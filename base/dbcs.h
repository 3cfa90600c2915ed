// Double-byte-aware string tests for ANSI text in the system code page (Shift-JIS on a
// Japanese system). Whether a byte is a trail byte is always decided by walking from the
// start of the string, never by looking one byte back.
#pragma once

#include <cstdint>

// 1 if the first n bytes of a and b agree: a double-byte pair of a must equal b's pair exactly
// and counts as two bytes; single bytes may differ in ASCII letter case only. n = 0 gives 1.
int CompareNoCaseN(const char* a, const char* b, std::uint32_t n);
// 1 if a and b are the same text ignoring ASCII letter case, compared as CompareNoCaseN does
// (double-byte pairs must match exactly: ア 83 41 and ヂ 83 61 differ).
int EqualNoCase(const char* a, const char* b);
// 1 if the byte at index is the trail byte of a double-byte character.
int IsTrailByteAt(const char* text, std::uint32_t index);
// 1 if the byte at index is x and is not a trail byte.
int IsCharAt(const char* text, std::uint32_t index, char x);
// The index of the last x of text that is not a trail byte, or -1.
int LastCharIndex(const char* text, char x);
// 1 if text ends in a lead byte whose trail byte is missing.
int EndsInLeadByte(const char* text);
