#include "panelflash/engine/LcdMidiLink.h"

#include <algorithm>
#include <cstring>

using vx9kr::midi::PortInfo;
using vx9kr::midi::ReceivedBuffer;
using vx9kr::midi::SendOutcome;

namespace {

void PutLength(std::uint8_t* p, std::uint32_t n) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(n >> (8 * i));
}

std::uint32_t GetLength(const std::uint8_t* p) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return n;
}

}  // namespace

CLcdMidiLink::CLcdMidiLink(vx9kr::midi::MidiService& service, vx9kr::Clock& clock)
    : m_service(service),
      m_pQueue(new std::uint8_t[QUEUE_CAPACITY]()),
      m_evReply(clock),
      m_pOutData(new std::uint8_t[BUFFER_SIZE]()) {}

CLcdMidiLink::~CLcdMidiLink() {
    Close();
}

int CLcdMidiLink::FindPort(const std::vector<PortInfo>& ports, const std::string& name) const {
    for (const PortInfo& port : ports) {
        if (port.capabilitiesRead && port.name == name)
            return port.number;
    }
    return -1;
}

int CLcdMidiLink::Open(const std::string& strOutName, const std::string& strInName) {
    Close();
    m_nLastError = LCD_LINK_OK;
    m_strOutName = strOutName;
    m_strInName = strInName;
    m_strOpenFailure.clear();
    {
        std::lock_guard lock(m_lock);
        m_nDropped = 0;
    }

    // Firmware goes only to the port the operator chose: a name that matches no port fails.
    const int nOut = FindPort(m_service.Outputs(), strOutName);
    if (nOut < 0) {
        m_strOpenFailure = "There is no MIDI output named '" + strOutName + "'.";
    } else {
        auto opened = m_service.OpenOutput(nOut, [this](SendOutcome o) { OnSent(o); });
        if (opened.port) {
            m_pOutput = std::move(opened.port);
            m_pOutput->Reset();
            m_nOutFlags = 0;
            m_bOutOpen = true;
        } else {
            m_strOpenFailure = opened.error;
        }
    }

    const int nIn = FindPort(m_service.Inputs(), strInName);
    if (nIn < 0) {
        if (m_strOpenFailure.empty()) {
            m_strOpenFailure = "There is no MIDI input named '" + strInName + "'.";
        }
    } else {
        auto opened = m_service.OpenInput(nIn, [this](const ReceivedBuffer& b) { OnReceived(b); });
        if (opened.port) {
            m_pInput = std::move(opened.port);
            m_pInput->Reset();
            m_bInOpen = true;
            m_pInput->Start();
        } else if (m_strOpenFailure.empty()) {
            m_strOpenFailure = opened.error;
        }
    }

    if (!m_bOutOpen || !m_bInOpen) {
        const std::string why = m_strOpenFailure;
        Close();
        m_strOpenFailure = why;
        m_nLastError = LCD_LINK_OPEN_FAILED;
    }
    return m_nLastError;
}

int CLcdMidiLink::Close() {
    m_nLastError = LCD_LINK_OK;
    if (m_pOutput) {
        m_bOutOpen = false;
        m_pOutput->Close();
        m_pOutput.reset();
        m_nOutFlags = 0;
    }
    if (m_pInput) {
        // Cleared first, so that whatever the service still delivers is no longer queued.
        m_bInOpen = false;
        m_pInput->Close();
        m_pInput.reset();
    }
    return LCD_LINK_OK;
}

std::string CLcdMidiLink::Describe() const {
    return "OUT : " + m_strOutName + "\nIN : " + m_strInName + "\n";
}

std::size_t CLcdMidiLink::DroppedReplies() const {
    std::lock_guard lock(m_lock);
    return m_nDropped;
}

void CLcdMidiLink::OnSent(SendOutcome) {
    m_nOutFlags |= HEADER_DONE;
}

void CLcdMidiLink::OnReceived(const ReceivedBuffer& buffer) {
    if (!m_bInOpen)
        return;
    // The device's input buffers hold 4096 bytes each: a longer message fills several.
    for (std::size_t offset = 0; offset < buffer.bytes.size(); offset += BUFFER_SIZE) {
        const std::size_t n = std::min(BUFFER_SIZE, buffer.bytes.size() - offset);
        PushReply(buffer.bytes.data() + offset, n);
    }
}

void CLcdMidiLink::PushReply(const std::uint8_t* pData, std::size_t nCount) {
    {
        std::lock_guard lock(m_lock);
        // A record with no room behind the write position is dropped: the exchange then gets no
        // reply and times out, which it reports. One reply per request, after a flush, never
        // comes near this.
        if (4 + nCount > QUEUE_CAPACITY - m_nWritePos) {
            ++m_nDropped;
            return;
        }
        PutLength(m_pQueue.get() + m_nWritePos, static_cast<std::uint32_t>(nCount));
        std::memcpy(m_pQueue.get() + m_nWritePos + 4, pData, nCount);
        m_nWritePos += 4 + nCount;
    }
    m_evReply.Set();
}

int CLcdMidiLink::PopReply(std::uint8_t* pBuffer, std::size_t* pnLength) {
    std::lock_guard lock(m_lock);
    int nError = LCD_LINK_OK;
    std::size_t nDelivered = 0;
    if (m_nReadPos == m_nWritePos) {
        // Whatever set the event has been taken already: without this reset the next wait would
        // return at once, again and again, with nothing.
        m_nReadPos = m_nWritePos = 0;
        m_evReply.Reset();
    } else if (pBuffer == nullptr) {
        nDelivered = GetLength(m_pQueue.get() + m_nReadPos);
    } else {
        const std::size_t n = GetLength(m_pQueue.get() + m_nReadPos);
        m_nReadPos += 4;
        const std::size_t nCopied = std::min(n, *pnLength);
        std::memcpy(pBuffer, m_pQueue.get() + m_nReadPos, nCopied);
        m_nReadPos += nCopied;
        if (nCopied < n) {
            // The rest stays queued as a record of its own.
            m_nReadPos -= 4;
            PutLength(m_pQueue.get() + m_nReadPos, static_cast<std::uint32_t>(n - nCopied));
            nError = LCD_LINK_REPLY_SPLIT;
        }
        if (m_nReadPos == m_nWritePos) {
            m_nReadPos = m_nWritePos = 0;
            m_evReply.Reset();
        }
        nDelivered = nCopied;
    }
    *pnLength = nDelivered;
    m_nLastError = nError;
    return nError;
}

void CLcdMidiLink::FlushReplies() {
    std::lock_guard lock(m_lock);
    m_nReadPos = m_nWritePos = 0;
    m_evReply.Reset();
}

int CLcdMidiLink::SendSysEx(const std::uint8_t* pMessage, std::size_t nLength) {
    m_nLastError = LCD_LINK_OK;
    if (!m_bOutOpen && !m_bInOpen)
        return m_nLastError = LCD_LINK_NOT_OPEN;
    if (m_nOutFlags & HEADER_DONE)
        m_nOutFlags = 0;
    if (m_nOutFlags != 0)
        return m_nLastError = LCD_LINK_SEND_BUSY;
    // Longer than the message area: refused, never copied.
    if (!m_pOutput || pMessage == nullptr || nLength == 0 || nLength > BUFFER_SIZE) {
        return m_nLastError = LCD_LINK_SEND_REFUSED;
    }
    std::memcpy(m_pOutData.get(), pMessage, nLength);
    m_nOutFlags = HEADER_IN_FLIGHT;
    const std::string refusal = m_pOutput->Send({m_pOutData.get(), nLength});
    if (!refusal.empty()) {
        // Nothing is going out, so the next message may go.
        m_nOutFlags = 0;
        return m_nLastError = LCD_LINK_SEND_REFUSED;
    }
    return m_nLastError;
}

int CLcdMidiLink::WaitReply(std::uint8_t* pBuffer, std::size_t* pnLength, int nTimeoutMs) {
    m_nLastError = LCD_LINK_OK;
    if (!m_bOutOpen && !m_bInOpen) {
        *pnLength = 0;
        return m_nLastError = LCD_LINK_NOT_OPEN;
    }
    if (!m_evReply.WaitMs(nTimeoutMs)) {
        *pnLength = 0;
        return m_nLastError = LCD_LINK_TIMEOUT;
    }
    return PopReply(pBuffer, pnLength);
}
