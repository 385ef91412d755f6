#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/midi/MidiService.h"

// Coreflash's connection to the Main CPU: one output and one input port by device number. A
// request goes out with Send, which may name the buffer for its reply; the next whole SysEx
// message that arrives is copied there and ends the caller's WaitReply.
//
// A message that arrives while no reply is wanted is held, up to eight of them, and becomes the
// reply to the next request that wants one, the oldest first, even before that request has gone
// out. Held messages do not outlive the link's opening: Close discards them.
class CMainCpuLink {
  public:
    static constexpr std::size_t MAX_HELD = 8;
    // How long Send waits for the service to say that a message has gone out.
    static constexpr int SEND_LIMIT_MS = 10000;

    CMainCpuLink(vx9kr::midi::MidiService& service, vx9kr::Clock& clock);
    ~CMainCpuLink();
    CMainCpuLink(const CMainCpuLink&) = delete;
    CMainCpuLink& operator=(const CMainCpuLink&) = delete;

    // True when both ports are open and receiving; an open link stays as it is.
    bool Open(int nOutDevice, int nInDevice);
    bool Close();

    // Sends one message and returns once it has gone out. With a reply buffer, the next message
    // delivered is copied into it, cut to nReplyCapacity bytes. False when the message could not
    // be sent: then no reply will come for it.
    bool Send(const std::uint8_t* pMessage, std::size_t nLength, std::uint8_t* pReply = nullptr,
              std::size_t nReplyCapacity = 0);

    // True when a reply (or a message cut short, which leaves the buffer as it was) came within
    // the limit. After a wait that ran out, the buffer is no longer written: a later message is
    // held for the next request instead.
    bool WaitReply(int nTimeoutMs);

    std::size_t HeldMessages() const;

  private:
    void OnReceived(const vx9kr::midi::ReceivedBuffer& buffer);
    // With m_lock held: gives the oldest held message to the waiting reply buffer, if both exist.
    bool DeliverHeldLocked();

    vx9kr::midi::MidiService& m_service;
    std::unique_ptr<vx9kr::midi::MidiOutput> m_pOutput;
    std::unique_ptr<vx9kr::midi::MidiInput> m_pInput;
    vx9kr::Event m_evOutputDone;
    vx9kr::Event m_evReplyArrived;

    mutable std::mutex m_lock;  // guards what follows
    bool m_bOpen = false;
    std::uint8_t* m_pReply = nullptr;  // where the reply that is wanted goes; null: none is
    std::size_t m_nReplyCapacity = 0;
    std::deque<std::vector<std::uint8_t>> m_held;
};
