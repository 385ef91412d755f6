#pragma once

#include <cstdint>
#include <filesystem>

#include "coreflash/engine/FirmwareImage.h"
#include "coreflash/engine/LoadReporter.h"
#include "coreflash/engine/MainCpuLink.h"
#include "coreflash/engine/MainCpuProtocol.h"
#include "platform/Clock.h"

// The whole Main CPU update that one press of Load sets going: read and check the image, open the
// ports, give the device five seconds, check its model name, select it, Copy, load both regions
// block by block, Uninstall, Install and Verify each region. The first failing step shows its text
// and ends the run; the ports are closed and the image released on every path.
class CLoadSequence {
  public:
    static constexpr int SETTLE_SECONDS = 5;

    explicit CLoadSequence(vx9kr::Clock& clock);

    // The outcome is the last status text written: "Complete! Please, restart." on success.
    void Run(const std::filesystem::path& path, int nOutDevice, int nInDevice, CMainCpuLink& link,
             CLoadReporter& reporter);

    // Per cent of a region sent before its next block; always within 0..99 while bytes remain,
    // whatever the region's size.
    static unsigned LoadingPercent(std::uint32_t nSize, std::uint32_t nRemaining);

  private:
    struct Region {
        std::uint32_t address, size;
    };

    bool RunSteps(const std::filesystem::path& path, int nOutDevice, int nInDevice,
                  CMainCpuLink& link, CLoadReporter& reporter);
    bool LoadRegion(CMainCpuProtocol& protocol, CLoadReporter& reporter, Region region);

    vx9kr::Clock& m_clock;
    CFirmwareImage m_image;
};
