#include <algorithm>
#include <cstring>

#include "panelflash/engine/LcdUpdater.h"
#include "platform/Format.h"
#include "platform/SysExPacking.h"

using vx9kr::Format;

namespace {

constexpr std::uint8_t SYSEX_END = 0xF7;
constexpr std::size_t HEADER_LENGTH = 5;
constexpr std::size_t MIN_REPLY_LENGTH = 8;

// The payload read as text ends at its first zero byte.
std::string AsText(const std::uint8_t* p, std::size_t n) {
    const auto* end = std::find(p, p + n, 0);
    return {reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p)};
}

}  // namespace

struct CLcdUpdater::Judgement {
    int nResult = LCD_RESULT_OK;
    std::string strText;
    bool bLineBreak = true;
    bool bResend = false;
};

CLcdUpdater::CLcdUpdater(CLcdMidiLink& link, CLcdRunReport& report, vx9kr::Clock& clock)
    : m_link(link), m_report(report), m_clock(clock) {
    // The header every request begins with; it never changes.
    const std::uint8_t header[HEADER_LENGTH] = {0xF0, 0x43, 0x50, 0x03, 0x00};
    std::copy(std::begin(header), std::end(header), m_abMessage.begin());
}

int CLcdUpdater::Exchange(std::uint16_t wCommand, std::size_t nLength, int nTimeoutMs) {
    m_abMessage[5] = static_cast<std::uint8_t>(wCommand >> 8);
    m_abMessage[6] = static_cast<std::uint8_t>(wCommand & 0xFF);
    std::array<std::uint8_t, MESSAGE_SIZE> abReply{};

    for (;;) {
        const std::int64_t nPassStart = m_clock.NowMs();
        m_link.FlushReplies();
        int nError = m_link.SendSysEx(m_abMessage.data(), nLength);
        std::size_t nReply = 0;
        bool bMatched = false;
        while (nError == LCD_LINK_OK) {
            nReply = abReply.size();
            nError = m_link.WaitReply(abReply.data(), &nReply, nTimeoutMs);
            if (nError != LCD_LINK_OK)
                break;
            if (nReply < MIN_REPLY_LENGTH)
                continue;
            bMatched = std::equal(abReply.begin(), abReply.begin() + 6, m_abMessage.begin()) &&
                       abReply[6] == (m_abMessage[6] | LCD_REPLY_BIT);
            if (bMatched)
                break;
            if (nPassStart + nTimeoutMs < m_clock.NowMs())
                nError = LCD_LINK_TIMEOUT;
        }
        if (!bMatched) {
            m_report.ReportStatus(Format("MIDI error %d.", nError), true, STATUS_ERROR);
            return LCD_RESULT_FAILED;
        }

        // The payload runs from byte 7 to the reply's first F7.
        const auto* pEnd =
            std::find(abReply.begin() + PAYLOAD_OFFSET, abReply.begin() + nReply, SYSEX_END);
        const bool bHasEnd = pEnd != abReply.begin() + nReply;
        const std::size_t nPayload = bHasEnd ? pEnd - (abReply.begin() + PAYLOAD_OFFSET) : 0;
        const std::size_t nEndOffset = bHasEnd ? pEnd - abReply.begin() : PAYLOAD_OFFSET;
        const std::uint8_t* pPayload = abReply.data() + PAYLOAD_OFFSET;
        const std::uint16_t wReplyCode = static_cast<std::uint16_t>(abReply[5] << 8 | abReply[6]);

        const Judgement judgement = Classify(wReplyCode, pPayload, nPayload);
        if (judgement.bResend)
            continue;

        // The payload goes back into the message buffer as text, with its terminator, and the F7
        // where the reply had it.
        const std::string strPayload = AsText(pPayload, nPayload);
        std::copy(strPayload.begin(), strPayload.end(), m_abMessage.begin() + PAYLOAD_OFFSET);
        m_abMessage[PAYLOAD_OFFSET + strPayload.size()] = 0;
        m_abMessage[nEndOffset] = SYSEX_END;

        if (!judgement.strText.empty()) {
            m_report.ReportStatus(
                judgement.strText, judgement.bLineBreak,
                judgement.nResult == LCD_RESULT_FAILED ? STATUS_ERROR : STATUS_NORMAL);
        }
        return judgement.nResult;
    }
}

CLcdUpdater::Judgement CLcdUpdater::Classify(std::uint16_t wReplyCode, const std::uint8_t* pPayload,
                                             std::size_t nPayload) {
    const std::uint8_t nStatus = nPayload > 0 ? pPayload[0] : 0;
    const std::string strText = AsText(pPayload, nPayload);
    const std::string strAfterStatus = nPayload > 0 ? AsText(pPayload + 1, nPayload - 1) : "";
    const bool bRefused = nStatus == 0x00;
    // A command the device refused: its error text, quoting the device's own words.
    const auto failedOr = [&](const char* refusal, const char* success) {
        if (bRefused)
            return Judgement{LCD_RESULT_FAILED, Format(refusal, strAfterStatus.c_str())};
        return Judgement{LCD_RESULT_OK, success};
    };

    switch (wReplyCode) {
        case LCD_CMD_ENTER_UPDATE | LCD_REPLY_BIT:
            return {LCD_RESULT_OK, "Update mode ready."};
        case LCD_CMD_EXIT_UPDATE | LCD_REPLY_BIT:
            return {LCD_RESULT_OK, "Update mode exit."};
        case LCD_CMD_MODEL_NAME | LCD_REPLY_BIT:
            return {LCD_RESULT_OK, Format("Model name is '%s'.", strText.c_str())};
        case LCD_CMD_VERSION | LCD_REPLY_BIT:
            if (strText.starts_with("1.0"))
                m_nExeMode = EXEMODE_COPYONLY;
            return {LCD_RESULT_OK, Format("Version number is '%s'.", strText.c_str())};
        case LCD_CMD_ERASE | LCD_REPLY_BIT:
            return failedOr("Erase error : %s.", "Erase OK.");
        case LCD_CMD_REMOVE_DIR | LCD_REPLY_BIT: {
            Judgement judgement = failedOr("Remove directory error : %s.", "Remove directory.");
            // The dots of the wait that follows go on the same log line.
            if (!bRefused)
                judgement.bLineBreak = false;
            return judgement;
        }
        case LCD_CMD_DELETE_RENAME | LCD_REPLY_BIT:
            return failedOr("Delete & rename  : %s.", "Delete & rename OK.");
        case LCD_CMD_FIND_AD | LCD_REPLY_BIT:
            return bRefused ? Judgement{LCD_RESULT_FAILED, "AD Firmware not found."}
                            : Judgement{LCD_RESULT_OK, "AD Firmware found."};
        case LCD_CMD_ERASE_AD | LCD_REPLY_BIT:
            return bRefused ? Judgement{LCD_RESULT_FAILED, "AD eraae error."}
                            : Judgement{LCD_RESULT_OK, "AD erase start."};
        case LCD_CMD_SET_FILE_NAME | LCD_REPLY_BIT:
            return failedOr("Set file name error : %s.", "Set file name OK.");
        case LCD_CMD_DOWNLOAD | LCD_REPLY_BIT:
            if (nStatus == 0x02)
                return {LCD_RESULT_OK, "", true, true};
            return failedOr("Download error : %s.", "");
        case LCD_CMD_CHECKSUM | LCD_REPLY_BIT:
            return failedOr("CheckSum error : %s.", "CheckSum OK.");
        case LCD_CMD_STATUS | LCD_REPLY_BIT:
            if (bRefused)
                return failedOr("Status error : %s.", "");
            if (nStatus == 0x01)
                m_report.AppendLog("OK.\n");
            if (nStatus == 0x02) {
                m_report.AppendLog(".");
                return {LCD_RESULT_BUSY, ""};
            }
            return {LCD_RESULT_OK, ""};
        case LCD_CMD_AD_ERASE_STATUS | LCD_REPLY_BIT:
            // The status byte is the erase's progress in percent.
            if (nStatus < 100)
                return {LCD_RESULT_BUSY, ""};
            m_report.AppendLog("OK.\n");
            return {LCD_RESULT_OK, ""};
        default:
            return {LCD_RESULT_OK,
                    Format("Unknown reply %04X.", static_cast<unsigned>(wReplyCode))};
    }
}

std::size_t CLcdUpdater::PackSevenBit(const std::uint8_t* pSource, std::size_t nCount,
                                      std::uint8_t* pDest) {
    return vx9kr::PackSevenBit(pSource, nCount, pDest);
}

std::size_t CLcdUpdater::PutTextPayload(const std::string& text) {
    // Never past the message buffer, whatever the text: the longest text that fits is sent.
    const std::size_t n = std::min(text.size(), MESSAGE_SIZE - PAYLOAD_OFFSET - 1);
    std::copy_n(text.begin(), n, m_abMessage.begin() + PAYLOAD_OFFSET);
    m_abMessage[PAYLOAD_OFFSET + n] = SYSEX_END;
    return n + 8;
}

int CLcdUpdater::ExchangeEmpty(std::uint16_t wCommand) {
    return Exchange(wCommand, PutTextPayload({}), LCD_REPLY_TIMEOUT_MS);
}
