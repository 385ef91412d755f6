#include <cstdio>

#include "cli/CommandTable.h"
#include "cli/LoadConsoleReport.h"
#include "coreflash/engine/FirmwareImage.h"
#include "coreflash/engine/LoadSequence.h"
#include "coreflash/engine/MainCpuLink.h"
#include "coreflash/engine/StatusTextReporter.h"
#include "platform/Format.h"

namespace vx9kr::cli {
namespace {

constexpr const char* kComplete = "Complete! Please, restart.";

std::string Region(std::uint32_t nAddress, std::uint32_t nSize) {
    if (nSize == 0)
        return "none";
    return Format("0x%08X..0x%08X (%u bytes)", nAddress,
                  static_cast<unsigned>(std::uint64_t{nAddress} + nSize - 1), nSize);
}

}  // namespace

int RunMainCommand(const OptionValues& options, FlashEnvironment& env) {
    const std::unique_ptr<midi::MidiService> service = OpenService(env, DeviceStart::BootMode);
    if (!service)
        return EXIT_FAILED;
    const std::optional<ChosenPorts> ports = ChoosePorts(*service, options, env);
    if (!ports)
        return EXIT_FAILED;

    LoadConsoleReport report(env.out, env.outIsTerminal);
    CMainCpuLink link(*service, env.clock);
    CLoadSequence sequence(env.clock);
    sequence.Run(options.find("--file")->second, ports->out.number, ports->in.number, link, report);
    if (report.Status() == kComplete)
        return EXIT_OK;
    env.err << kProgramName << ": Main CPU update failed: " << report.Status() << "\n";
    env.err.flush();
    return EXIT_FAILED;
}

int RunInfoCommand(const OptionValues& options, FlashEnvironment& env) {
    const std::string& file = options.find(kOperand)->second;
    CFirmwareImage image;
    CStatusTextReporter failure;
    if (!image.ReadImageFile(file, failure)) {
        env.err << kProgramName << ": " << file << ": " << failure.Status() << "\n";
        env.err.flush();
        return EXIT_FAILED;
    }
    const std::uint32_t a1 = image.Region1Address(), n1 = image.Region1Size();
    const std::uint32_t a2 = image.Region2Address(), n2 = image.Region2Size();
    env.out << "model name:       " << image.ModelName() << "\n"
            << "version:          " << image.VersionText() << "\n"
            << Format("device selector:  0x%02X\n", image.DeviceSelector())
            << Format("block size:       0x%X (%u bytes)\n", image.BlockSize(), image.BlockSize())
            << Format("image size:       0x%X (%u bytes)\n", image.ImageSize(), image.ImageSize())
            << "region 1:         " << Region(a1, n1) << "\n"
            << "region 2:         " << Region(a2, n2) << "\n"
            << Format("present pages:    %zu of %u\n", image.PresentPages(),
                      image.ImageSize() / CFirmwareImage::PAGE_SIZE)
            << Format("region 1 sum:     0x%04X\n", image.RegionSum(a1, n1))
            << Format("region 2 sum:     0x%04X\n", image.RegionSum(a2, n2));
    env.out.flush();
    return EXIT_OK;
}

}  // namespace vx9kr::cli
