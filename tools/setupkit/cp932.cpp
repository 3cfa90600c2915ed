#include "tools/setupkit/cp932.h"

#include <cstdio>

#include "base/cp932.h"
#include "tools/setupkit/host.h"

namespace {

// The length of the UTF-8 sequence that starts with lead, or 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

std::uint32_t DecodeUtf8(const std::string& ch) {
    const auto* b = reinterpret_cast<const unsigned char*>(ch.data());
    switch (ch.size()) {
        case 1:
            return b[0];
        case 2:
            return (b[0] & 0x1Fu) << 6 | (b[1] & 0x3Fu);
        case 3:
            return (b[0] & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
        default:
            return (b[0] & 0x07u) << 18 | (b[1] & 0x3Fu) << 12 | (b[2] & 0x3Fu) << 6 |
                   (b[3] & 0x3Fu);
    }
}

// Characters that JIS-based converters (and so most Linux and macOS editors) produce where
// Windows code page 932 has a neighbour: without this, "〜" would convert with iconv but not
// with Windows, and one manifest would build on one host only.
std::string WindowsEquivalent(const std::string& ch) {
    static const struct {
        const char* jis;
        const char* windows;
    } kPairs[] = {
        {"\u301C", "\uFF5E"},  // WAVE DASH -> FULLWIDTH TILDE
        {"\u2016", "\u2225"},  // DOUBLE VERTICAL LINE -> PARALLEL TO
        {"\u2212", "\uFF0D"},  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        {"\u00A2", "\uFFE0"},  // CENT SIGN -> FULLWIDTH CENT SIGN
        {"\u00A3", "\uFFE1"},  // POUND SIGN -> FULLWIDTH POUND SIGN
        {"\u00AC", "\uFFE2"},  // NOT SIGN -> FULLWIDTH NOT SIGN
        {"\u2014", "\u2015"},  // EM DASH -> HORIZONTAL BAR
    };
    for (const auto& pair : kPairs)
        if (ch == pair.jis)
            return pair.windows;
    return ch;
}

}  // namespace

Cp932Result Utf8ToCp932(const std::string& utf8) {
    Cp932Result result;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        std::size_t length = SequenceLength(lead);
        if (lead < 0x80) {
            result.text += utf8[at++];
            continue;
        }
        std::string ch = utf8.substr(at, length ? length : 1);
        std::string converted =
            length && ch.size() == length ? CharToCp932(WindowsEquivalent(ch)) : std::string();
        if (converted.empty()) {
            result.offender = ch;
            result.offset = at;
            return result;
        }
        result.text += converted;
        at += length;
    }
    result.ok = true;
    return result;
}

std::string Cp932ToUtf8(const std::string& cp932) {
    std::string out;
    std::size_t at = 0;
    while (at < cp932.size()) {
        const auto byte = static_cast<unsigned char>(cp932[at]);
        if (byte < 0x80) {
            out += cp932[at++];
            continue;
        }
        const std::size_t length = IsCp932LeadByte(byte) && at + 1 < cp932.size() ? 2 : 1;
        std::string converted = CharFromCp932(cp932.substr(at, length));
        if (converted.empty()) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            at += 1;
            continue;
        }
        out += converted;
        at += length;
    }
    return out;
}

std::string FoldCp932Case(const std::string& cp932) {
    std::string folded = cp932;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;
            continue;
        }
        if (folded[i] >= 'A' && folded[i] <= 'Z')
            folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
    }
    return folded;
}

std::string DescribeCharacter(const std::string& utf8) {
    const std::size_t length =
        utf8.empty() ? 0 : SequenceLength(static_cast<unsigned char>(utf8[0]));
    char text[40];
    if (length == 0 || length != utf8.size()) {
        std::snprintf(text, sizeof text, "byte 0x%02X (not UTF-8)",
                      utf8.empty() ? 0 : static_cast<unsigned char>(utf8[0]));
        return text;
    }
    std::snprintf(text, sizeof text, "U+%04X '", static_cast<unsigned>(DecodeUtf8(utf8)));
    return text + utf8 + "'";
}
