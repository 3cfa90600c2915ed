// Known-answer bytes written as hex digits, grouped as the reader likes: Hex("0E 01 03 616263").
#pragma once

#include <cctype>
#include <string>

// The bytes of pairs of hex digits; every other character is skipped.
inline std::string Hex(const std::string& digits) {
    std::string bytes, pair;
    for (char digit : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(digit)))
            continue;
        pair += digit;
        if (pair.size() == 2) {
            bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
            pair.clear();
        }
    }
    return bytes;
}
