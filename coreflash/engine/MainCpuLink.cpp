#include "coreflash/engine/MainCpuLink.h"

#include <algorithm>

using vx9kr::midi::ReceivedBuffer;
using vx9kr::midi::SendOutcome;

CMainCpuLink::CMainCpuLink(vx9kr::midi::MidiService& service, vx9kr::Clock& clock)
    : m_service(service), m_evOutputDone(clock), m_evReplyArrived(clock) {}

CMainCpuLink::~CMainCpuLink() {
    Close();
}

bool CMainCpuLink::Open(int nOutDevice, int nInDevice) {
    if (m_pOutput && m_pInput)
        return true;
    auto output = m_service.OpenOutput(nOutDevice, [this](SendOutcome) { m_evOutputDone.Set(); });
    if (!output.port)
        return false;
    m_pOutput = std::move(output.port);
    auto input = m_service.OpenInput(nInDevice, [this](const ReceivedBuffer& b) { OnReceived(b); });
    if (!input.port) {
        Close();
        return false;
    }
    m_pInput = std::move(input.port);
    m_pInput->Reset();
    {
        std::lock_guard lock(m_lock);
        m_bOpen = true;
    }
    m_evReplyArrived.Reset();
    m_pInput->Start();
    return true;
}

bool CMainCpuLink::Close() {
    {
        std::lock_guard lock(m_lock);
        m_bOpen = false;
        m_pReply = nullptr;
    }
    if (m_pOutput) {
        m_pOutput->Close();
        m_pOutput.reset();
    }
    if (m_pInput) {
        m_pInput->Close();
        m_pInput.reset();
    }
    // What arrived for this opening is not the answer to anything of the next one.
    {
        std::lock_guard lock(m_lock);
        m_held.clear();
    }
    m_evReplyArrived.Reset();
    return true;
}

bool CMainCpuLink::Send(const std::uint8_t* pMessage, std::size_t nLength, std::uint8_t* pReply,
                        std::size_t nReplyCapacity) {
    if (!m_pOutput)
        return false;
    m_evOutputDone.Reset();
    if (pReply) {
        // Wanted before the message goes, so that an answer that comes at once is caught.
        std::lock_guard lock(m_lock);
        m_pReply = pReply;
        m_nReplyCapacity = nReplyCapacity;
        if (DeliverHeldLocked())
            m_evReplyArrived.Set();
    }
    if (!m_pOutput->Send({pMessage, nLength}).empty())
        return false;
    // The service always says when a message has gone; a limit keeps a lost notice from hanging.
    return m_evOutputDone.WaitMs(SEND_LIMIT_MS);
}

bool CMainCpuLink::WaitReply(int nTimeoutMs) {
    const bool bArrived = m_evReplyArrived.WaitMs(nTimeoutMs);
    m_evReplyArrived.Reset();
    if (!bArrived) {
        // The caller gives up its buffer now; nothing may be written into it later.
        std::lock_guard lock(m_lock);
        m_pReply = nullptr;
    }
    return bArrived;
}

std::size_t CMainCpuLink::HeldMessages() const {
    std::lock_guard lock(m_lock);
    return m_held.size();
}

bool CMainCpuLink::DeliverHeldLocked() {
    if (!m_pReply || m_held.empty())
        return false;
    const std::vector<std::uint8_t>& message = m_held.front();
    std::copy_n(message.begin(), std::min(message.size(), m_nReplyCapacity), m_pReply);
    m_held.pop_front();
    m_pReply = nullptr;
    return true;
}

void CMainCpuLink::OnReceived(const ReceivedBuffer& buffer) {
    bool bArrived = false;
    {
        std::lock_guard lock(m_lock);
        if (!m_bOpen)
            return;
        if (!buffer.complete) {
            // A message cut short ends the wait for a reply, but is no reply.
            bArrived = m_pReply != nullptr;
            m_pReply = nullptr;
        } else if (m_pReply) {
            std::copy_n(buffer.bytes.begin(), std::min(buffer.bytes.size(), m_nReplyCapacity),
                        m_pReply);
            m_pReply = nullptr;
            bArrived = true;
        } else if (m_held.size() < MAX_HELD) {
            m_held.emplace_back(buffer.bytes.begin(), buffer.bytes.end());
        }
    }
    if (bArrived)
        m_evReplyArrived.Set();
}
