#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <string>

#include "coreflash/engine/MainCpuProtocol.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "tests/coreflash/RecordingLoadReporter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Reply(std::uint8_t group, std::uint8_t command, const Bytes& payload) {
    Bytes reply{0xF0, 0x43, 0x50, 0x03, 0x00, group, command};
    for (std::uint8_t b : payload)
        reply.push_back(b);
    reply.push_back(0xF7);
    return reply;
}

Bytes Text(const std::string& text) {
    return {text.begin(), text.end()};
}

// Answers each request from a script (an empty answer is silence); without a script, with the
// request's final reply and status 01.
class ScriptedMainCpu final : public vx9kr::midi::DeviceModel {
  public:
    void Then(std::vector<Bytes> answer) {
        std::lock_guard lock(mutex_);
        script_.push_back(std::move(answer));
    }
    std::vector<Bytes> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void Receive(std::span<const std::uint8_t> message, vx9kr::midi::DeviceWire& wire) override {
        std::vector<Bytes> answer;
        {
            std::lock_guard lock(mutex_);
            requests_.emplace_back(message.begin(), message.end());
            if (!script_.empty()) {
                answer = std::move(script_.front());
                script_.pop_front();
            } else {
                answer.push_back(Reply(message[5], message[6] | 0x40, {0x01}));
            }
        }
        for (Bytes& reply : answer)
            wire.Send(std::move(reply));
    }

  private:
    mutable std::mutex mutex_;
    std::deque<std::vector<Bytes>> script_;
    std::vector<Bytes> requests_;
};

class ExchangesTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(link.Open(0, 0)); }

    std::vector<std::string> Commands() const {
        std::vector<std::string> commands;
        char code[8];
        for (const Bytes& r : device->Requests()) {
            std::snprintf(code, sizeof code, "%02X%02X", r[5], r[6]);
            commands.push_back(code);
        }
        return commands;
    }

    vx9kr::VirtualClock clock;
    std::shared_ptr<ScriptedMainCpu> device = std::make_shared<ScriptedMainCpu>();
    vx9kr::midi::SimulatorService service{clock, device};
    CMainCpuLink link{service, clock};
    RecordingLoadReporter report;
    CMainCpuProtocol protocol{link, report};
};

TEST_F(ExchangesTest, ModelNameIsTakenUpToF7AndCutToItsRoom) {
    char name[16];
    device->Then({Reply(0x00, 0x42, Text("VX9KR"))});
    ASSERT_TRUE(protocol.GetModelName(name));
    EXPECT_STREQ(name, "VX9KR");
    device->Then({Reply(0x00, 0x42, Text("A-VERY-LONG-MODEL-NAME"))});
    ASSERT_TRUE(protocol.GetModelName(name));
    EXPECT_STREQ(name, "A-VERY-LONG-MOD");
    EXPECT_EQ(device->Requests()[0], (Bytes{0xF0, 0x43, 0x50, 0x03, 0x00, 0x00, 0x02, 0xF7}));
}

TEST_F(ExchangesTest, RepliesAreJudgedByBytes5To7Only) {
    Bytes odd = Reply(0x01, 0x41, {0x01});
    odd[1] = 0x7E;
    device->Then({odd});
    EXPECT_TRUE(protocol.SelectDevice(0x12));
    EXPECT_EQ(device->Requests()[0][7], 0x12);
    device->Then({Reply(0x01, 0x41, {0x02})});
    EXPECT_FALSE(protocol.SelectDevice(0x12));
    device->Then({Reply(0x04, 0x42, {0x00})});
    EXPECT_TRUE(protocol.Verify(0x1000, 0x2000, 0xBEEF));
    const Bytes verify = device->Requests().back();
    EXPECT_EQ(verify.size(), 28u);
    EXPECT_EQ(std::string(verify.begin() + 7, verify.end() - 1), "0000100000002000BEEF");
}

TEST_F(ExchangesTest, OperationFollowsItsProgressReportsToTheFinalReply) {
    device->Then({Reply(0x01, 0x42, {0x01})});
    device->Then({Reply(0x02, 0x21, Text("0001A000"))});
    device->Then({Reply(0x02, 0x21, Text("0002a000"))});
    device->Then({Reply(0x02, 0x41, {0x01})});
    EXPECT_TRUE(protocol.RunOperation(CMainCpuProtocol::OP_COPY, 0, 0x40000, 0x1000));
    EXPECT_EQ(report.range, 0x40);
    EXPECT_EQ(report.positions, (std::vector<int>{0, 26, 0}));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"0102", "0201", "057F", "057F"}));
    EXPECT_EQ(report.pumps, 2);
}

TEST_F(ExchangesTest, OperationFailsOnAWrongFinalOrAStrangeReply) {
    device->Then({Reply(0x01, 0x42, {0x01})});
    device->Then({Reply(0x04, 0x40, {0x00})});
    EXPECT_FALSE(protocol.RunOperation(CMainCpuProtocol::OP_UNINSTALL, 0, 0x1000, 0x1000));
    device->Then({Reply(0x01, 0x42, {0x01})});
    device->Then({Reply(0x04, 0x11, {0x01})});
    EXPECT_FALSE(protocol.RunOperation(CMainCpuProtocol::OP_INSTALL, 0, 0x1000, 0x1000));
    device->Then({Reply(0x01, 0x42, {0x00})});
    EXPECT_FALSE(protocol.RunOperation(CMainCpuProtocol::OP_COPY, 0, 0x1000, 0x1000));
    EXPECT_EQ(Commands().back(), "0102");
}

TEST_F(ExchangesTest, LoadDataGoesIn2048ByteMessages) {
    Bytes data(5000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 3);
    EXPECT_TRUE(protocol.LoadData(0x10000, data.data(), data.size()));
    const auto requests = device->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(std::string(requests[0].begin() + 7, requests[0].begin() + 19), "080000010000");
    EXPECT_EQ(std::string(requests[1].begin() + 7, requests[1].begin() + 19), "080000010800");
    EXPECT_EQ(std::string(requests[2].begin() + 7, requests[2].begin() + 19), "038800011000");
    EXPECT_EQ(requests[0].size(), 2362u);
    EXPECT_EQ(report.range, 2);
    EXPECT_EQ(report.steps, 3);
}

TEST_F(ExchangesTest, SilenceFailsAfterFiveSeconds) {
    device->Then({});
    EXPECT_FALSE(protocol.SelectDevice(0x12));
    EXPECT_EQ(clock.NowMs(), 5000);
    device->Then({Reply(0x03, 0x40, {0x01})});
    device->Then({});
    Bytes data(3000, 0x11);
    EXPECT_FALSE(protocol.LoadData(0, data.data(), data.size()));
    EXPECT_EQ(report.steps, 1);
}

}  // namespace
