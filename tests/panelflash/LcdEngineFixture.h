#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "panelflash/engine/LcdMidiLink.h"
#include "panelflash/engine/LcdUpdater.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "tests/panelflash/RecordingReport.h"
#include "tests/panelflash/ScriptedLcdDevice.h"

// The LCD engine wired to a device model through the simulator service, in virtual time.
template <typename Device>
class LcdEngineTest : public testing::Test {
  protected:
    static constexpr const char* kPort = vx9kr::midi::SimulatorService::kPortName;

    void SetUp() override { ASSERT_EQ(link.Open(kPort, kPort), 0); }

    // A request without payload: F7 at byte 7.
    int ExchangeBare(std::uint16_t command) {
        updater.m_abMessage[7] = 0xF7;
        return updater.Exchange(command, 8, 20000);
    }

    vx9kr::VirtualClock clock;
    std::shared_ptr<Device> device = std::make_shared<Device>();
    vx9kr::midi::SimulatorService service{clock, device};
    CLcdMidiLink link{service, clock};
    RecordingReport report;
    CLcdUpdater updater{link, report, clock};
};
