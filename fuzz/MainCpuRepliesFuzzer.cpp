// Any replies from the Main CPU, in any number, cut short, unasked or late, to one exchange. The
// exchange must judge them without writing past its reply buffer or the caller's model name, and
// every request it sends must still be a valid SysEx frame. Time is virtual, so a device that
// stays silent costs nothing.
//
// The input: one byte choosing the exchange, three big-endian 32-bit arguments, then one answer per
// request, each a control byte (bits 0-1: how many messages, bit 2: the last one cut short, bit 3:
// sent only after the reply wait has run out) and its messages, each up to and including an F7.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "coreflash/engine/MainCpuLink.h"
#include "coreflash/engine/MainCpuProtocol.h"
#include "coreflash/engine/StatusTextReporter.h"
#include "fuzz/Invariant.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t SYSEX_START = 0xF0;
constexpr std::uint8_t SYSEX_END = 0xF7;
constexpr std::size_t LOAD_DATA_MAX_MESSAGE = 2362;
// Past the 5000 ms that an exchange waits for its reply.
constexpr auto kLate = std::chrono::milliseconds(6000);

struct Answer {
    std::vector<Bytes> messages;
    bool bLastCutShort = false;
    bool bLate = false;
};

// Reads the input front to back; what is missing reads as zero.
class CInput {
  public:
    CInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    std::uint32_t Word() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return value;
    }

    std::deque<Answer> Answers() {
        std::deque<Answer> answers;
        while (m_pos < m_size) {
            const std::uint8_t control = Byte();
            Answer answer;
            answer.bLastCutShort = (control & 0x04) != 0;
            answer.bLate = (control & 0x08) != 0;
            for (int n = control & 0x03; n > 0; --n)
                answer.messages.push_back(Message());
            answers.push_back(std::move(answer));
        }
        return answers;
    }

  private:
    Bytes Message() {
        const std::uint8_t* begin = m_data + m_pos;
        const std::uint8_t* end = std::find(begin, m_data + m_size, SYSEX_END);
        if (end != m_data + m_size)
            ++end;
        m_pos += static_cast<std::size_t>(end - begin);
        return {begin, end};
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

void CheckRequest(std::span<const std::uint8_t> message) {
    static constexpr std::uint8_t kFrame[] = {SYSEX_START, 0x43, 0x50, 0x03, 0x00};
    Require(message.size() >= 8, "request shorter than a frame");
    Require(std::equal(std::begin(kFrame), std::end(kFrame), message.begin()),
            "request without the Main CPU's frame");
    Require(message.back() == SYSEX_END, "request not ended by F7");
    const auto body = message.subspan(1, message.size() - 2);
    Require(std::all_of(body.begin(), body.end(), [](auto b) { return b < 0x80; }),
            "request with a byte that is no SysEx data byte");
    if (message[5] == 0x03 && message[6] == 0x00) {
        Require(message.size() <= LOAD_DATA_MAX_MESSAGE, "Load Data longer than 2362 bytes");
        unsigned nSum = 0;
        for (std::size_t i = CMainCpuProtocol::ARGUMENTS_OFFSET; i + 1 < message.size(); ++i)
            nSum += message[i];
        Require(nSum % 128 == 0, "Load Data checksum does not make its sum a multiple of 128");
    }
}

// Checks each request as it crosses the wire and answers it with the next answer of the input;
// once they are used up, it stays silent.
class CScriptedMainCpu final : public vx9kr::midi::DeviceModel {
  public:
    explicit CScriptedMainCpu(std::deque<Answer> answers) : m_answers(std::move(answers)) {}

    void Receive(std::span<const std::uint8_t> message, vx9kr::midi::DeviceWire& wire) override {
        CheckRequest(message);
        if (m_answers.empty())
            return;
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        for (std::size_t i = 0; i < answer.messages.size(); ++i) {
            Bytes& reply = answer.messages[i];
            if (answer.bLastCutShort && i + 1 == answer.messages.size())
                wire.SendIncomplete(std::move(reply));
            else if (answer.bLate)
                wire.SendLater(kLate, std::move(reply));
            else
                wire.Send(std::move(reply));
        }
    }

  private:
    std::deque<Answer> m_answers;  // only the service's thread touches it once the run is on
};

void CheckHexText(std::uint32_t value, const std::uint8_t* data, std::size_t size) {
    std::uint8_t digits[8];
    CMainCpuProtocol::PutHex(digits, value, 8);
    Require(CMainCpuProtocol::HexToValue(digits, 8) == value, "8 hex digits do not read back");
    CMainCpuProtocol::PutHex(digits, value & 0xFFFF, 4);
    Require(CMainCpuProtocol::HexToValue(digits, 4) == (value & 0xFFFF),
            "4 hex digits do not read back");
    const std::uint32_t nRead = CMainCpuProtocol::HexToValue(data, size);
    Require(size >= 8 || nRead >> (4 * size) == 0, "hex value with more digits than it was given");
}

void RunExchange(std::uint8_t exchange, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                 std::deque<Answer> answers) {
    vx9kr::VirtualClock clock;
    auto device = std::make_shared<CScriptedMainCpu>(std::move(answers));
    vx9kr::midi::SimulatorService service(clock, device);
    CMainCpuLink link(service, clock);
    Require(link.Open(0, 0), "the simulator's ports do not open");
    CStatusTextReporter reporter;
    CMainCpuProtocol protocol(link, reporter);

    switch (exchange % 7) {
        case 0: {
            // Exactly the name's room, so that one byte too many is a finding.
            auto name = std::make_unique<char[]>(CMainCpuProtocol::MODEL_NAME_SIZE);
            if (protocol.GetModelName(name.get())) {
                Require(std::memchr(name.get(), 0, CMainCpuProtocol::MODEL_NAME_SIZE) != nullptr,
                        "model name without its NUL");
            }
            break;
        }
        case 1:
            // The image reader lets no other selector through.
            protocol.SelectDevice(static_cast<std::uint8_t>(a & 0x7F));
            break;
        case 2:
            protocol.RunOperation(CMainCpuProtocol::OP_COPY, a, b, c);
            break;
        case 3:
            protocol.RunOperation(CMainCpuProtocol::OP_UNINSTALL, a, b, c);
            break;
        case 4:
            protocol.RunOperation(CMainCpuProtocol::OP_INSTALL, a, b, c);
            break;
        case 5: {
            Bytes raw(b % (3 * CMainCpuProtocol::LOAD_DATA_MAX_RAW + 1));
            for (std::size_t i = 0; i < raw.size(); ++i)
                raw[i] = static_cast<std::uint8_t>(c + i * 7);
            protocol.LoadData(a, raw.data(), raw.size());
            break;
        }
        default:
            protocol.Verify(a, b, static_cast<std::uint16_t>(c));
            break;
    }
    link.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CInput input(data, size);
    const std::uint8_t exchange = input.Byte();
    const std::uint32_t a = input.Word();
    const std::uint32_t b = input.Word();
    const std::uint32_t c = input.Word();
    CheckHexText(a, data, size);
    RunExchange(exchange, a, b, c, input.Answers());
    return 0;
}
