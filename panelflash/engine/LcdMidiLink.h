#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Event.h"
#include "platform/midi/MidiService.h"

// Link errors: the result of the link's last operation.
enum : int {
    LCD_LINK_OK = 0,
    LCD_LINK_OPEN_FAILED = 1,
    LCD_LINK_NOT_OPEN = 5,
    LCD_LINK_SEND_REFUSED = 6,
    LCD_LINK_SEND_BUSY = 7,
    LCD_LINK_REPLY_SPLIT = 9,
    LCD_LINK_TIMEOUT = 10,
};

// Panelflash's connection to the device: one output and one input port, each chosen by its exact
// name. Every SysEx message that arrives while the link is open goes into a reply queue, from which
// the run's worker takes replies one at a time, with a time limit.
//
// The queue is 8192 bytes of records, each a 4-byte little-endian length and the bytes of one
// received buffer. Input arrives from the MIDI service as whole messages; the link cuts each into
// buffers of at most 4096 bytes, as the device's input buffers would hold them, so a longer message
// becomes several records.
class CLcdMidiLink {
  public:
    static constexpr std::size_t QUEUE_CAPACITY = 8192;
    static constexpr std::size_t BUFFER_SIZE = 4096;

    CLcdMidiLink(vx9kr::midi::MidiService& service, vx9kr::Clock& clock);
    ~CLcdMidiLink();
    CLcdMidiLink(const CLcdMidiLink&) = delete;
    CLcdMidiLink& operator=(const CLcdMidiLink&) = delete;

    // Opens the output, then the input; 0 on success, else 1 with both closed again.
    int Open(const std::string& strOutName, const std::string& strInName);
    int Close();
    // "OUT : <output>\nIN : <input>\n"
    std::string Describe() const;

    // Starts sending one message of at most BUFFER_SIZE bytes and returns without waiting for it:
    // 0, 5 (not open), 6 (refused), 7 (the previous message is still going out).
    int SendSysEx(const std::uint8_t* pMessage, std::size_t nLength);
    // Delivers the oldest queued record into the buffer: 0, 5, 9 (the record was longer than the
    // buffer; the rest stays queued), 10 (nothing within the limit). pnLength is the buffer's
    // capacity on entry and the bytes delivered on return.
    int WaitReply(std::uint8_t* pBuffer, std::size_t* pnLength, int nTimeoutMs);
    void FlushReplies();

    int LastError() const { return m_nLastError; }
    // Why the last Open failed, for a front end that can say more than "port open error".
    const std::string& OpenFailure() const { return m_strOpenFailure; }
    // Records dropped because the queue had no room for them since the link was opened.
    std::size_t DroppedReplies() const;

  private:
    void OnReceived(const vx9kr::midi::ReceivedBuffer& buffer);
    void OnSent(vx9kr::midi::SendOutcome outcome);
    void PushReply(const std::uint8_t* pData, std::size_t nCount);
    int PopReply(std::uint8_t* pBuffer, std::size_t* pnLength);
    int FindPort(const std::vector<vx9kr::midi::PortInfo>& ports, const std::string& name) const;

    vx9kr::midi::MidiService& m_service;

    std::unique_ptr<std::uint8_t[]> m_pQueue;
    std::size_t m_nReadPos = 0;
    std::size_t m_nWritePos = 0;
    std::size_t m_nDropped = 0;
    mutable std::mutex m_lock;
    vx9kr::Event m_evReply;

    int m_nLastError = LCD_LINK_OK;
    std::string m_strOutName;
    std::string m_strInName;
    std::string m_strOpenFailure;
    std::unique_ptr<vx9kr::midi::MidiOutput> m_pOutput;
    std::unique_ptr<vx9kr::midi::MidiInput> m_pInput;

    // The output header: the message area and its state, shared with the service's notice.
    std::unique_ptr<std::uint8_t[]> m_pOutData;
    static constexpr std::uint32_t HEADER_DONE = 0x1;
    static constexpr std::uint32_t HEADER_IN_FLIGHT = 0x2;
    std::atomic<std::uint32_t> m_nOutFlags{0};

    std::atomic<bool> m_bOutOpen{false};
    std::atomic<bool> m_bInOpen{false};
};
