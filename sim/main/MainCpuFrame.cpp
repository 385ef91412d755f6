#include "sim/main/MainCpuFrame.h"

#include <cstdio>

namespace vx9kr::sim {

namespace {

constexpr MainCpuRequest kAllRequests[] = {
    MainCpuRequest::GetModelName, MainCpuRequest::SelectDevice, MainCpuRequest::SetRange,
    MainCpuRequest::Copy,         MainCpuRequest::LoadData,     MainCpuRequest::Uninstall,
    MainCpuRequest::Install,      MainCpuRequest::Verify,       MainCpuRequest::ProgressAcknowledge,
};

}  // namespace

std::optional<MainCpuRequest> MainRequestOf(MainCpuCode code) {
    for (const MainCpuRequest request : kAllRequests) {
        const MainCpuCode known = CodeOf(request);
        if (known.group == code.group && known.command == code.command)
            return request;
    }
    return std::nullopt;
}

std::optional<MainRequest> ParseMainRequest(std::span<const std::uint8_t> message) {
    const std::optional<DeviceFrame> frame = ParseDeviceFrame(message);
    if (!frame)
        return std::nullopt;
    const MainCpuCode code{frame->first, frame->second};
    return MainRequest{code, MainRequestOf(code), frame->payload};
}

Bytes MakeMainFinalReply(MainCpuCode request, std::uint8_t status) {
    const std::uint8_t payload[] = {status};
    return MakeDeviceFrame(request.group, request.command | kMainFinalBit, payload);
}

Bytes MakeMainModelNameReply(std::string_view name) {
    const MainCpuCode code = CodeOf(MainCpuRequest::GetModelName);
    return MakeDeviceFrame(code.group, code.command | kMainFinalBit,
                           {reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
}

Bytes MakeMainProgressReport(MainCpuCode operation, std::uint32_t reached) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(reached));
    return MakeDeviceFrame(operation.group, operation.command | kMainProgressBit,
                           {reinterpret_cast<const std::uint8_t*>(digits), 8});
}

}  // namespace vx9kr::sim
