// Which bytes start a double-byte character in an ANSI code page.
//
// Path strings are ANSI bytes of the code page the program runs under: 932 (Shift-JIS) in Japan,
// a single-byte page such as 1252 elsewhere, 936 (GBK) in China. The rules that take a path apart
// step over double-byte characters, so they are given the running code page's lead bytes.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

namespace kelpix::core {

class LeadBytes {
public:
    // No lead bytes: a single-byte code page.
    LeadBytes() = default;

    // From the ranges a code page reports: pairs of first and last lead byte, ended by a pair of
    // zeros or by the end of the `size` bytes (the form of CPINFO's LeadByte).
    static LeadBytes FromRanges(const uint8_t* ranges, std::size_t size);
    // Code page 932: 0x81-0x9F and 0xE0-0xFC.
    static const LeadBytes& ShiftJis();

    bool operator()(unsigned char byte) const { return table_[byte]; }

private:
    std::bitset<256> table_;
};

} // namespace kelpix::core
