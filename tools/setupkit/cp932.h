// Text conversion between UTF-8 (manifests, the terminal) and code page 932 (everything the
// setup program reads). iconv on Linux, the Win32 code-page API on Windows.
#pragma once

#include <optional>
#include <string>

struct Cp932Result {
    std::string text;  // the converted text, when ok
    bool ok = false;
    std::string offender;    // the first character that cannot be converted, as UTF-8
    std::size_t offset = 0;  // its byte offset in the input
};

// UTF-8 to code page 932. Fails on the first character that CP932 cannot hold (or on bytes
// that are not UTF-8), naming it.
Cp932Result Utf8ToCp932(const std::string& utf8);

// Code page 932 to UTF-8 for display; bytes that are not CP932 are shown as \xNN.
std::string Cp932ToUtf8(const std::string& cp932);

// A CP932 name with ASCII letters in lower case, double-byte characters untouched: the key
// under which the setup program's lookups (ASCII case ignored) see it.
std::string FoldCp932Case(const std::string& cp932);

// "U+00E9 'é'" for a character given as UTF-8, for messages.
std::string DescribeCharacter(const std::string& utf8);
