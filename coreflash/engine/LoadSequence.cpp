#include "coreflash/engine/LoadSequence.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t LOADING_TEXT_SIZE = 64;

// Shows a step's failure text; the run ends there.
bool Fail(CLoadReporter& reporter, const char* szText) {
    reporter.SetStatusText(szText);
    return false;
}

}  // namespace

CLoadSequence::CLoadSequence(vx9kr::Clock& clock) : m_clock(clock) {}

void CLoadSequence::Run(const std::filesystem::path& path, int nOutDevice, int nInDevice,
                        CMainCpuLink& link, CLoadReporter& reporter) {
    RunSteps(path, nOutDevice, nInDevice, link, reporter);
    link.Close();
    m_image.Release();
}

unsigned CLoadSequence::LoadingPercent(std::uint32_t nSize, std::uint32_t nRemaining) {
    if (nSize == 0)
        return 0;
    // Wide enough that (size - remaining) * 100 never wraps, for any 32-bit region.
    const std::uint64_t nSent = std::uint64_t{nSize} - nRemaining;
    return static_cast<unsigned>(nSent * 100 / nSize);
}

bool CLoadSequence::RunSteps(const std::filesystem::path& path, int nOutDevice, int nInDevice,
                             CMainCpuLink& link, CLoadReporter& reporter) {
    reporter.SetProgressRange(2);
    reporter.SetProgressPos(0);
    reporter.SetStatusText("File reading....");
    if (!m_image.ReadImageFile(path, reporter))
        return false;

    reporter.SetProgressRange(SETTLE_SECONDS);
    reporter.SetProgressPos(0);
    reporter.SetStatusText("Device open....");
    if (!link.Open(nOutDevice, nInDevice))
        return Fail(reporter, "Device open failed!!");
    // The device needs these seconds after its ports open before it takes requests.
    for (int i = 1; i <= SETTLE_SECONDS; ++i) {
        reporter.SetProgressPos(i);
        m_clock.SleepMs(1000);
    }

    CMainCpuProtocol protocol(link, reporter);
    char szModelName[CMainCpuProtocol::MODEL_NAME_SIZE] = {};
    if (!protocol.GetModelName(szModelName))
        return Fail(reporter, "Get model name failed!!");
    if (std::strcmp(szModelName, m_image.ModelName().c_str()) != 0)
        return Fail(reporter, "Compare model name error!!");
    if (!protocol.SelectDevice(m_image.DeviceSelector()))
        return Fail(reporter, "Select Device failed!!");

    const std::uint32_t nBlock = m_image.BlockSize();
    reporter.SetStatusText("Copying....");
    if (!protocol.RunOperation(CMainCpuProtocol::OP_COPY, 0, m_image.ImageSize(), nBlock))
        return Fail(reporter, "Copy failed!!");

    const Region regions[] = {{m_image.Region1Address(), m_image.Region1Size()},
                              {m_image.Region2Address(), m_image.Region2Size()}};
    for (const Region& region : regions)
        if (!LoadRegion(protocol, reporter, region))
            return Fail(reporter, "Load failed!!");

    reporter.SetStatusText("Uninstalling....");
    if (regions[0].size != 0 && !protocol.RunOperation(CMainCpuProtocol::OP_UNINSTALL,
                                                       regions[0].address, regions[0].size, nBlock))
        return Fail(reporter, "Uninstall failed(1)!!");
    if (regions[1].size != 0 && !protocol.RunOperation(CMainCpuProtocol::OP_UNINSTALL,
                                                       regions[1].address, regions[1].size, nBlock))
        return Fail(reporter, "Uninstall failed(2)!!");

    reporter.SetStatusText("Installing....");
    for (const Region& region : regions)
        if (region.size != 0 && !protocol.RunOperation(CMainCpuProtocol::OP_INSTALL, region.address,
                                                       region.size, nBlock))
            return Fail(reporter, "Install failed!!");

    reporter.SetProgressRange(1);
    reporter.SetProgressPos(0);
    reporter.SetStatusText("Verifying....");
    for (const Region& region : regions)
        if (region.size != 0 && !protocol.Verify(region.address, region.size,
                                                 m_image.RegionSum(region.address, region.size)))
            return Fail(reporter, "Verify error!!");

    reporter.SetProgressPos(1);
    reporter.SetStatusText("Complete! Please, restart.");
    return true;
}

bool CLoadSequence::LoadRegion(CMainCpuProtocol& protocol, CLoadReporter& reporter, Region region) {
    const std::uint8_t* pImage = m_image.Image().data();
    char szLoading[LOADING_TEXT_SIZE] = {};
    std::uint32_t nAddress = region.address;
    std::uint32_t nRemaining = region.size;
    while (nRemaining != 0) {
        const std::uint32_t n = std::min(nRemaining, m_image.BlockSize());
        std::snprintf(szLoading, sizeof szLoading, "Loading.... (%3u%%)",
                      LoadingPercent(region.size, nRemaining));
        reporter.SetStatusText(szLoading);
        if (!protocol.LoadData(nAddress, pImage + nAddress, n))
            return false;
        nAddress += n;
        nRemaining -= n;
    }
    return true;
}
