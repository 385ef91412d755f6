#pragma once

#include <cstddef>
#include <cstdint>

// The Main CPU's SysEx requests: the frame F0 43 50 03 00, group, command, arguments, a checksum
// for Load Data only, F7. Numbers travel as upper-case hexadecimal digits, raw bytes packed 8-to-7.
class CMainCpuProtocol {
  public:
    static constexpr std::size_t FRAME_HEADER = 5;
    static constexpr std::size_t ARGUMENTS_OFFSET = 7;
    static constexpr std::size_t LOAD_DATA_MAX_RAW = 2048;

    // "0".."9", "A".."F" for 0..15.
    static char NibbleToHex(unsigned nNibble);
    // Writes `value` as `digits` hexadecimal digits, most significant first.
    static void PutHex(std::uint8_t* pDest, std::uint32_t value, int digits);
    // Reads at most 8 characters; the first that is not "0".."9" or "A".."F" (a lower-case letter
    // too) ends the number.
    static std::uint32_t HexToValue(const std::uint8_t* pText, std::size_t nAvailable);
    // Packs raw bytes 8-to-7; returns the packed length.
    static std::size_t Pack7(const std::uint8_t* pSource, std::size_t nCount, std::uint8_t* pDest);
    // Completes a request whose bytes 5 onward hold group, command and nArguments argument bytes:
    // writes the frame's first five bytes, the checksum when asked for, and F7. Returns its
    // length, 8 + nArguments, or 9 + nArguments with a checksum.
    static std::size_t BuildMessage(std::uint8_t* pMessage, std::size_t nArguments, bool bChecksum);
};
