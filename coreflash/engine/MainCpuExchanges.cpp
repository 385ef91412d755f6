#include <algorithm>
#include <array>
#include <cstring>

#include "coreflash/engine/MainCpuProtocol.h"
#include "platform/SysExPacking.h"

namespace {

constexpr std::uint8_t SYSEX_END = 0xF7;
constexpr std::uint8_t REPLY_FINAL = 0x40;
constexpr std::uint8_t REPLY_PROGRESS = 0x20;
constexpr std::uint8_t STATUS_OK = 0x01;

using Request = std::array<std::uint8_t, 256>;

}  // namespace

CMainCpuProtocol::CMainCpuProtocol(CMainCpuLink& link, CLoadReporter& reporter)
    : m_link(link), m_reporter(reporter) {}

bool CMainCpuProtocol::Ask(std::uint8_t* pRequest, std::size_t nLength) {
    std::fill(std::begin(m_abReply), std::end(m_abReply), 0);
    if (!m_link.Send(pRequest, nLength, m_abReply, REPLY_SIZE))
        return false;
    return m_link.WaitReply(REPLY_TIMEOUT_MS);
}

bool CMainCpuProtocol::Is(std::uint8_t group, std::uint8_t command, bool bRequireOk) const {
    return m_abReply[5] == group && m_abReply[6] == command &&
           (!bRequireOk || m_abReply[7] == STATUS_OK);
}

bool CMainCpuProtocol::GetModelName(char* szName) {
    Request request{};
    request[5] = 0x00;
    request[6] = 0x02;
    szName[0] = '\0';
    if (!Ask(request.data(), BuildMessage(request.data(), 0, false)))
        return false;
    if (!Is(0x00, 0x02 | REPLY_FINAL, false))
        return false;
    const std::uint8_t* pBegin = m_abReply + ARGUMENTS_OFFSET;
    const std::uint8_t* pEnd =
        std::find(pBegin, pBegin + (REPLY_SIZE - ARGUMENTS_OFFSET), SYSEX_END);
    // Never more than the name's room: 15 characters and the NUL.
    const std::size_t n = std::min<std::size_t>(pEnd - pBegin, MODEL_NAME_SIZE - 1);
    std::memcpy(szName, pBegin, n);
    szName[n] = '\0';
    return true;
}

bool CMainCpuProtocol::SelectDevice(std::uint8_t nSelector) {
    Request request{};
    request[5] = 0x01;
    request[6] = 0x01;
    request[7] = nSelector;
    return Ask(request.data(), BuildMessage(request.data(), 1, false)) && Is(0x01, 0x41, true);
}

bool CMainCpuProtocol::SetRange(std::uint32_t nStart, std::uint32_t nSize) {
    Request request{};
    request[5] = 0x01;
    request[6] = 0x02;
    PutHex(request.data() + 7, nStart, 8);
    PutHex(request.data() + 15, nSize, 8);
    return Ask(request.data(), BuildMessage(request.data(), 16, false)) && Is(0x01, 0x42, true);
}

bool CMainCpuProtocol::RunOperation(Operation operation, std::uint32_t nStart, std::uint32_t nSize,
                                    std::uint32_t nBlockSize) {
    const std::uint32_t nUnit = std::max<std::uint32_t>(nBlockSize, 1);
    m_reporter.SetProgressRange(static_cast<std::uint16_t>(nSize / nUnit));
    m_reporter.SetProgressPos(0);
    if (!SetRange(nStart, nSize))
        return false;

    Request request{};
    request[5] = operation.group;
    request[6] = operation.command;
    if (!Ask(request.data(), BuildMessage(request.data(), 0, false)))
        return false;
    // The device reports how far it got, each report answered, until its final word.
    for (;;) {
        if (m_abReply[5] != operation.group)
            return false;
        if (m_abReply[6] == (operation.command | REPLY_FINAL))
            return m_abReply[7] == STATUS_OK;
        if (m_abReply[6] != (operation.command | REPLY_PROGRESS))
            return false;
        const std::uint32_t nReached = HexToValue(m_abReply + ARGUMENTS_OFFSET, 8);
        m_reporter.SetProgressPos(static_cast<int>((nReached - nStart) / nUnit));
        Request acknowledge{};
        acknowledge[5] = 0x05;
        acknowledge[6] = 0x7F;
        std::fill(std::begin(m_abReply), std::end(m_abReply), 0);
        if (!m_link.Send(acknowledge.data(), BuildMessage(acknowledge.data(), 0, false), m_abReply,
                         REPLY_SIZE)) {
            return false;
        }
        m_reporter.PumpMessages();
        if (!m_link.WaitReply(REPLY_TIMEOUT_MS))
            return false;
    }
}

bool CMainCpuProtocol::LoadData(std::uint32_t nAddress, const std::uint8_t* pData,
                                std::size_t nCount) {
    m_reporter.SetProgressRange(static_cast<std::uint16_t>(nCount / LOAD_DATA_MAX_RAW));
    m_reporter.SetProgressPos(0);
    std::array<std::uint8_t, 4096> request{};
    while (nCount != 0) {
        const std::size_t n = std::min(nCount, LOAD_DATA_MAX_RAW);
        request[5] = 0x03;
        request[6] = 0x00;
        PutHex(request.data() + 7, static_cast<std::uint32_t>(n), 4);
        PutHex(request.data() + 11, nAddress, 8);
        const std::size_t nPacked = Pack7(pData, n, request.data() + 19);
        if (!Ask(request.data(), BuildMessage(request.data(), 12 + nPacked, true)) ||
            !Is(0x03, 0x40, true)) {
            return false;
        }
        nAddress += static_cast<std::uint32_t>(n);
        pData += n;
        nCount -= n;
        m_reporter.StepProgress();
        m_reporter.PumpMessages();
    }
    return true;
}

bool CMainCpuProtocol::Verify(std::uint32_t nAddress, std::uint32_t nSize, std::uint16_t wSum) {
    Request request{};
    request[5] = 0x04;
    request[6] = 0x02;
    PutHex(request.data() + 7, nAddress, 8);
    PutHex(request.data() + 15, nSize, 8);
    PutHex(request.data() + 23, wSum, 4);
    return Ask(request.data(), BuildMessage(request.data(), 20, false)) && Is(0x04, 0x42, false);
}
