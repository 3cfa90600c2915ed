// Code page 932 (Shift-JIS as Windows has it), whatever the host's own code page.
#pragma once

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
inline bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
