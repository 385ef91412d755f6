#include <gtest/gtest.h>

#include "sim/main/MainCpuModel.h"
#include "tests/sim/MainCpuHost.h"

namespace vx9kr::sim {
namespace {

using namespace test;
using namespace std::chrono_literals;

TEST(MainCpuFaults, AnswersWithTheModelNameAndSelectorItWasGiven) {
    MainCpuBehaviour behaviour;
    behaviour.modelName = "VX9KR-B";
    behaviour.selector = 0x05;
    MainCpuModel device(behaviour);
    EXPECT_EQ(AskOne(device, GetModelName()), ModelNameReply("VX9KR-B"));
    EXPECT_EQ(AskOne(device, SelectDevice(0x12)), Final(0x01, 0x01, 0));
    EXPECT_EQ(AskOne(device, SelectDevice(0x05)), Final(0x01, 0x01, 1));
}

TEST(MainCpuFaults, KnobsCanChangeWhileTheDeviceRuns) {
    MainCpuModel device;
    EXPECT_EQ(AskOne(device, GetModelName()), ModelNameReply("VX9KR"));
    device.ChangeBehaviour([](MainCpuBehaviour& b) {
        b.modelName = "VX9KS";
        b.silentFrom = 2;
    });
    EXPECT_EQ(AskOne(device, GetModelName()), ModelNameReply("VX9KS"));
    EXPECT_TRUE(Ask(device, GetModelName()).empty());
}

TEST(MainCpuFaults, FailsTheChosenRequestHavingDoneNothing) {
    const Bytes data{0x10, 0x20};
    struct Case {
        MainCpuFailure failure;
        Bytes request;
        std::vector<Bytes> replies;
    };
    for (const Case& c : std::vector<Case>{
             {{MainCpuRequest::GetModelName, std::nullopt},
              GetModelName(),
              {ModelNameReply({"\0", 1})}},
             {{MainCpuRequest::SelectDevice, 1}, SelectDevice(0x12), {Final(0x01, 0x01, 0)}},
             {{MainCpuRequest::SetRange, 1}, SetRange(0x100, 2), {Final(0x01, 0x02, 0)}},
             {{MainCpuRequest::LoadData, 0}, LoadData(0x100, data), {Final(0x03, 0x00, 0)}},
             {{MainCpuRequest::Verify, std::nullopt}, Verify(0, 2, 0x1FE), {Final(0x04, 0x02, 0)}},
             {{MainCpuRequest::Copy, 0},
              Copy(),
              {Progress(0x02, 0x01, 0x8000), Progress(0x02, 0x01, 0x10000), Final(0x02, 0x01, 0)}},
             {{MainCpuRequest::ProgressAcknowledge, 0},
              Copy(),
              {Progress(0x02, 0x01, 0x8000), Final(0x02, 0x01, 0)}},
         }) {
        SCOPED_TRACE(static_cast<int>(c.failure.request));
        MainCpuBehaviour behaviour;
        behaviour.defaultProgressReports = 2;
        behaviour.failures = {c.failure};
        MainCpuModel device(behaviour);
        AskOne(device, SelectDevice(0x12));
        AskOne(device, SetRange(0, 0x10000));
        std::vector<Bytes> replies{AskOne(device, c.request)};
        while (replies.back().size() > 6 && (replies.back()[6] & 0x20))
            replies.push_back(AskOne(device, Acknowledge()));
        EXPECT_EQ(replies, c.replies);
        EXPECT_TRUE(device.Selected());
        EXPECT_EQ(device.Memory(), Bytes(device.Memory().size(), 0xFF));
        EXPECT_TRUE(device.Ranges().empty());
        // The range is still the last one taken, and the failure was the chosen one only.
        EXPECT_EQ(AskOne(device, Copy()), Progress(0x02, 0x01, 0x8000));
    }
}

TEST(MainCpuFaults, FallsSilentFromTheChosenRequestAndActsNoMore) {
    MainCpuBehaviour behaviour;
    behaviour.silentFrom = 3;
    MainCpuModel device(behaviour);
    EXPECT_TRUE(Ask(device, {0xF0, 0xF7}).empty());  // ordinal 0, ignored but counted
    EXPECT_EQ(AskOne(device, SelectDevice(0x12)), Final(0x01, 0x01, 1));
    EXPECT_EQ(AskOne(device, SetRange(0, 0x10)), Final(0x01, 0x02, 1));
    EXPECT_TRUE(Ask(device, LoadData(0, {1})).empty());
    EXPECT_TRUE(Ask(device, Copy()).empty());
    EXPECT_EQ(device.Memory()[0], 0xFF);
    EXPECT_TRUE(device.Ranges().empty());
    EXPECT_EQ(device.Requests().size(), 5u);
}

TEST(MainCpuFaults, WorksForTheProgressStepBeforeEachReportAndHoldsBackChosenReplies) {
    MainCpuBehaviour behaviour;
    behaviour.defaultProgressReports = 2;
    behaviour.progressStep = 150ms;
    behaviour.slowReplies = {{0, 5001ms}, {3, 6s}};
    MainCpuModel device(behaviour);
    EXPECT_EQ(AskTimed(device, SelectDevice(0x12)),
              (std::vector<SentMessage>{{Final(0x01, 0x01, 1), true, 5001ms}}));
    EXPECT_EQ(AskTimed(device, SetRange(0, 0x100)),
              (std::vector<SentMessage>{{Final(0x01, 0x02, 1)}}));
    EXPECT_EQ(AskTimed(device, Install()), std::vector<SentMessage>{{Final(0x04, 0x01, 0)}});
    EXPECT_EQ(AskTimed(device, Uninstall()),
              (std::vector<SentMessage>{{Progress(0x04, 0x00, 0x80), true, 6150ms}}));
    EXPECT_EQ(AskTimed(device, Acknowledge()),
              (std::vector<SentMessage>{{Progress(0x04, 0x00, 0x100), true, 150ms}}));
    EXPECT_EQ(AskTimed(device, Acknowledge()),
              (std::vector<SentMessage>{{Final(0x04, 0x00, 1), true, 150ms}}));
}

TEST(MainCpuFaults, SendsUnaskedMessagesAroundTheReply) {
    const Bytes foreign = Final(0x02, 0x01, 1);
    const Bytes selected = Final(0x01, 0x01, 1);
    const Bytes ranged = Final(0x01, 0x02, 1);
    MainCpuBehaviour behaviour;
    behaviour.unasked = {
        {1, foreign, MainCpuUnaskedWhen::BeforeReply, 2s},
        {1, {}, MainCpuUnaskedWhen::BeforeReply},
        {1, Progress(0x04, 0x00, 0), MainCpuUnaskedWhen::AfterReply, 7s},
        {2, {}, MainCpuUnaskedWhen::AfterReply},
        {0, {}, MainCpuUnaskedWhen::BeforeReply},  // nothing sent yet to repeat
    };
    MainCpuModel device(behaviour);
    EXPECT_EQ(AskTimed(device, SelectDevice(0x12)), std::vector<SentMessage>{{selected}});
    EXPECT_EQ(AskTimed(device, SetRange(0, 1)),
              (std::vector<SentMessage>{
                  {foreign, true, 2s}, {selected}, {ranged}, {Progress(0x04, 0x00, 0), true, 7s}}));
    EXPECT_EQ(Ask(device, GetModelName()),
              (std::vector<Bytes>{ModelNameReply("VX9KR"), ModelNameReply("VX9KR")}));
}

TEST(MainCpuFaults, CutsShortAndOverfillsTheChosenReplies) {
    MainCpuBehaviour behaviour;
    behaviour.cutShortReplies = {1, 3};
    behaviour.oversizedReplies = {0, 2};
    behaviour.slowReplies = {{1, 9s}};
    MainCpuModel device(behaviour);
    const std::vector<SentMessage> name = AskTimed(device, GetModelName());
    ASSERT_EQ(name.size(), 1u);
    EXPECT_GT(name[0].bytes.size(), 512u);
    EXPECT_EQ(name[0].bytes, ModelNameReply("VX9KR" + std::string(600, 'X')));
    EXPECT_EQ(AskTimed(device, SelectDevice(0x12)),
              (std::vector<SentMessage>{{{0xF0, 0x43, 0x50, 0x03, 0x00, 0x01, 0x41}, false}}));
    // A reply that never came whole still did its work.
    EXPECT_TRUE(device.Selected());
    Bytes oversized = Final(0x01, 0x02, 1);
    oversized.insert(oversized.end() - 1, 600, 'X');
    EXPECT_EQ(AskOne(device, SetRange(0, 4)), oversized);
    EXPECT_EQ(AskTimed(device, Verify(0, 4, 0x3FC)),
              (std::vector<SentMessage>{{{0xF0, 0x43, 0x50, 0x03, 0x00, 0x04, 0x42}, false}}));
}

}  // namespace
}  // namespace vx9kr::sim
