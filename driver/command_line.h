// The setup program's command line: its first token (the program path) and its tail (switches
// and one quoted argument).
#pragma once

#include <cstddef>
#include <cstdint>

// Takes the first token of the full command line: up to the closing quote when it begins with
// a quote, empty when it begins with a blank, else up to the next blank. The token (at most
// maxChars - 1 characters) goes to pathOut; its drive and folder, with the trailing separator,
// to folderOut. 1, or 0 when the token or its folder does not fit.
int SplitCommandLine(char* folderOut, int folderSize, char* pathOut, int pathSize, int maxChars,
                     const char* commandLine);

// A quoted argument of this many characters or more does not fit the 260-byte path limit.
constexpr std::size_t kQuotedArgumentTooLong = 259;

struct SCommandTail {
    std::uint8_t runFlags;    // RUN_UNINSTALL and RUN_RESTART as the switches say
    const char* tooLongRest;  // when a quoted argument is too long: the text after its quote
};

// Parses the tail left to right: a quoted argument goes to dataFileArg (a later one replaces an
// earlier one); "/R" and "/U" (either case; only the character after the slash counts) set the
// run flags; everything else is ignored. 1, or 0 with tooLongRest set when a quoted argument
// has kQuotedArgumentTooLong or more characters.
int ParseCommandTail(const char* tail, char* dataFileArg, SCommandTail* result);
