#include "base/dbcs.h"

#include <cstring>

#include "base/platform.h"

namespace {

char FoldAsciiCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsLead(char c) {
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != 0;
}

}  // namespace

int CompareNoCaseN(const char* a, const char* b, std::uint32_t n) {
    std::uint32_t i = 0;
    while (i < n) {
        if (IsLead(a[i])) {
            // A lead byte in the last counted position still compares its whole pair.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return 0;
            i += 2;
            continue;
        }
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]))
            return 0;
        ++i;
    }
    return 1;
}

int EqualNoCase(const char* a, const char* b) {
    std::size_t length = std::strlen(a);
    if (std::strlen(b) != length)
        return 0;
    return CompareNoCaseN(a, b, static_cast<std::uint32_t>(length));
}

int IsTrailByteAt(const char* text, std::uint32_t index) {
    std::uint32_t i = 0;
    while (i < index) {
        if (text[i] == '\0')
            return 0;
        if (IsLead(text[i])) {
            if (text[i + 1] == '\0')
                return 0;
            if (i + 1 == index)
                return 1;
            i += 2;
        } else {
            ++i;
        }
    }
    return 0;
}

int IsCharAt(const char* text, std::uint32_t index, char x) {
    return text[index] == x && !IsTrailByteAt(text, index) ? 1 : 0;
}

int LastCharIndex(const char* text, char x) {
    int last = -1;
    for (int i = 0; text[i] != '\0'; ++i) {
        if (IsLead(text[i]) && text[i + 1] != '\0')
            ++i;
        else if (text[i] == x)
            last = i;
    }
    return last;
}

int EndsInLeadByte(const char* text) {
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        if (IsLead(text[i])) {
            if (text[i + 1] == '\0')
                return 1;
            ++i;
        }
    }
    return 0;
}
