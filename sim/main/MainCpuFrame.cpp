#include "sim/main/MainCpuFrame.h"

#include <algorithm>
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
    if (message.size() < kMainFrameSize || message.back() != kMainEnd)
        return std::nullopt;
    if (!std::equal(kMainHeader.begin(), kMainHeader.end(), message.begin()))
        return std::nullopt;
    MainRequest request;
    request.code = {message[5], message[6]};
    request.kind = MainRequestOf(request.code);
    request.arguments = message.subspan(kMainArgumentsOffset, message.size() - kMainFrameSize);
    return request;
}

Bytes MakeMainReply(std::uint8_t group, std::uint8_t code, std::span<const std::uint8_t> payload) {
    Bytes reply(kMainHeader.begin(), kMainHeader.end());
    reply.reserve(kMainFrameSize + payload.size());
    reply.push_back(group);
    reply.push_back(code);
    reply.insert(reply.end(), payload.begin(), payload.end());
    reply.push_back(kMainEnd);
    return reply;
}

Bytes MakeMainFinalReply(MainCpuCode request, std::uint8_t status) {
    const std::uint8_t payload[] = {status};
    return MakeMainReply(request.group, request.command | kMainFinalBit, payload);
}

Bytes MakeMainModelNameReply(std::string_view name) {
    const MainCpuCode code = CodeOf(MainCpuRequest::GetModelName);
    return MakeMainReply(code.group, code.command | kMainFinalBit,
                         {reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
}

Bytes MakeMainProgressReport(MainCpuCode operation, std::uint32_t reached) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(reached));
    return MakeMainReply(operation.group, operation.command | kMainProgressBit,
                         {reinterpret_cast<const std::uint8_t*>(digits), 8});
}

}  // namespace vx9kr::sim
