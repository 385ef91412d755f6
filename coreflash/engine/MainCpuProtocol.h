#pragma once

#include <cstddef>
#include <cstdint>

#include "coreflash/engine/LoadReporter.h"
#include "coreflash/engine/MainCpuLink.h"

// The Main CPU's SysEx requests: the frame F0 43 50 03 00, group, command, arguments, a checksum
// for Load Data only, F7. Numbers travel as upper-case hexadecimal digits, raw bytes packed 8-to-7.
// Each exchange is one request and its reply, judged by the reply's bytes 5 to 7; there are no
// retries.
class CMainCpuProtocol {
  public:
    static constexpr std::size_t FRAME_HEADER = 5;
    static constexpr std::size_t ARGUMENTS_OFFSET = 7;
    static constexpr std::size_t LOAD_DATA_MAX_RAW = 2048;
    static constexpr int REPLY_TIMEOUT_MS = 5000;
    static constexpr std::size_t REPLY_SIZE = 512;
    static constexpr std::size_t MODEL_NAME_SIZE = 16;

    // Operations with progress: group and command.
    struct Operation {
        std::uint8_t group, command;
    };
    static constexpr Operation OP_COPY{0x02, 0x01};
    static constexpr Operation OP_UNINSTALL{0x04, 0x00};
    static constexpr Operation OP_INSTALL{0x04, 0x01};

    CMainCpuProtocol(CMainCpuLink& link, CLoadReporter& reporter);

    // Fills szName (16 bytes) with the model name, at most 15 characters, and a NUL.
    bool GetModelName(char* szName);
    bool SelectDevice(std::uint8_t nSelector);
    // Set Range, then the operation, with a Progress Acknowledge for each progress report.
    bool RunOperation(Operation operation, std::uint32_t nStart, std::uint32_t nSize,
                      std::uint32_t nBlockSize);
    // Load Data messages of up to 2048 raw bytes each.
    bool LoadData(std::uint32_t nAddress, const std::uint8_t* pData, std::size_t nCount);
    bool Verify(std::uint32_t nAddress, std::uint32_t nSize, std::uint16_t wSum);

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

  private:
    // Sends the request and waits for its reply in m_abReply; false when none came in time.
    bool Ask(std::uint8_t* pRequest, std::size_t nLength);
    // The reply names this group and command, and status 01 when bRequireOk.
    bool Is(std::uint8_t group, std::uint8_t command, bool bRequireOk) const;
    bool SetRange(std::uint32_t nStart, std::uint32_t nSize);

    CMainCpuLink& m_link;
    CLoadReporter& m_reporter;
    std::uint8_t m_abReply[REPLY_SIZE] = {};
};
