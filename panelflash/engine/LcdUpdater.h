#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "panelflash/engine/LcdCommands.h"
#include "panelflash/engine/LcdMidiLink.h"
#include "panelflash/engine/LcdRunReport.h"
#include "platform/Clock.h"

// Talks to the LCD CPU: one request and its reply at a time (Exchange), and the two runs made of
// them, the firmware update (RunUpdate) and the AD firmware erase (RunAdErase). One updater lives
// as long as its front end; only one run's worker uses it at a time.
class CLcdUpdater {
  public:
    static constexpr std::size_t MESSAGE_SIZE = 4096;
    static constexpr std::size_t PAYLOAD_OFFSET = 7;

    CLcdUpdater(CLcdMidiLink& link, CLcdRunReport& report, vx9kr::Clock& clock);

    // Sends bytes 0 to nLength - 1 of m_abMessage as the command wCommand (the caller has written
    // the payload and the F7 from byte 7 on) and waits for the matching reply. Returns
    // LCD_RESULT_OK, LCD_RESULT_FAILED or LCD_RESULT_BUSY; the reply's payload is then in
    // m_abMessage from byte 7 on.
    int Exchange(std::uint16_t wCommand, std::size_t nLength, int nTimeoutMs);

    // Packs nCount raw bytes 8-to-7 into pDest, which must hold nCount + ceil(nCount / 7) bytes;
    // returns the bytes written.
    static std::size_t PackSevenBit(const std::uint8_t* pSource, std::size_t nCount,
                                    std::uint8_t* pDest);

    // The worker bodies. RunUpdate copies the five update files of strFolder into the device
    // (strFolder gets a trailing separator); RunAdErase erases the device's AD firmware. Both end
    // with PostRunFinished.
    void RunUpdate(std::string& strFolder);
    void RunAdErase();

    std::array<std::uint8_t, MESSAGE_SIZE> m_abMessage{};
    std::int16_t m_nExeMode = EXEMODE_REMOVEDIR;

  private:
    struct Judgement;
    Judgement Classify(std::uint16_t wReplyCode, const std::uint8_t* pPayload,
                       std::size_t nPayload);
    // Writes text at byte 7 with F7 behind it; returns the request's length.
    std::size_t PutTextPayload(const std::string& text);
    // A request without payload, F7 at byte 7, with the usual time limit.
    int ExchangeEmpty(std::uint16_t wCommand);
    int WaitUntilIdle();
    int SendFile(int nId, const std::string& strPath, std::uint32_t nTotalSize,
                 std::uint64_t& nBytesSent, int& nLastPercent);
    int SendBlocks(const std::string& strName, const std::uint8_t* pData, std::size_t nSize,
                   std::uint32_t nTotalSize, std::uint64_t& nBytesSent, int& nLastPercent,
                   int& nFrame);

    CLcdMidiLink& m_link;
    CLcdRunReport& m_report;
    vx9kr::Clock& m_clock;
};
