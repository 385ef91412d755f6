#include "sim/main/MainCpu.h"

#include <algorithm>
#include <string>

namespace vx9kr::sim {

namespace {

MainCpuAnswer Status(MainCpuCode request, bool success) {
    return {MakeMainFinalReply(request, success ? kMainSuccess : kMainFailure)};
}

MainCpuAnswer Status(MainCpuRequest request, bool success) {
    return Status(CodeOf(request), success);
}

std::vector<std::uint32_t> ReportsFor(MainCpuRequest operation, MainCpuRange range,
                                      const MainCpuBehaviour& behaviour) {
    const auto chosen = behaviour.progressReports.find(operation);
    if (chosen != behaviour.progressReports.end())
        return chosen->second;
    std::vector<std::uint32_t> reports;
    const std::size_t count = range.size == 0 ? 0 : behaviour.defaultProgressReports;
    for (std::size_t k = 1; k <= count; ++k) {
        reports.push_back(
            static_cast<std::uint32_t>(range.start + std::uint64_t{range.size} * k / count));
    }
    return reports;
}

}  // namespace

std::optional<MainCpuAnswer> MainCpu::Handle(const MainRequest& request,
                                             const MainCpuBehaviour& behaviour, bool fail) {
    if (!request.kind)
        return Status(request.code, false);
    const MainCpuRequest kind = *request.kind;
    if (kind == MainCpuRequest::ProgressAcknowledge)
        return Acknowledge(fail);
    // Any other request ends an operation that was waiting for its acknowledge, unfinished.
    running_.reset();
    if (kind == MainCpuRequest::GetModelName) {
        return MainCpuAnswer{
            MakeMainModelNameReply(fail ? std::string(1, '\0') : behaviour.modelName)};
    }
    if (kind == MainCpuRequest::SelectDevice)
        return SelectDevice(request, behaviour, fail);
    if (!selected_)
        return Status(kind, false);
    switch (kind) {
        case MainCpuRequest::SetRange:
            return SetRange(request, fail);
        case MainCpuRequest::LoadData:
            return LoadData(request, fail);
        case MainCpuRequest::Verify:
            return Verify(request, fail);
        default:
            return Begin(kind, behaviour, fail);
    }
}

std::vector<MainCpuRangeRecord> MainCpu::Ranges() const {
    std::vector<MainCpuRangeRecord> records;
    for (const auto& [range, state] : ranges_)
        records.push_back({range, state});
    return records;
}

MainCpuAnswer MainCpu::SelectDevice(const MainRequest& request, const MainCpuBehaviour& behaviour,
                                    bool fail) {
    if (fail)
        return Status(MainCpuRequest::SelectDevice, false);
    // Another selector names another device on the same cable, which this one then leaves alone.
    selected_ = request.arguments.size() == 1 && request.arguments[0] == behaviour.selector;
    return Status(MainCpuRequest::SelectDevice, selected_);
}

MainCpuAnswer MainCpu::SetRange(const MainRequest& request, bool fail) {
    const auto range = DecodeMainRange(request.arguments, memory_.size());
    if (!range || fail)
        return Status(MainCpuRequest::SetRange, false);
    range_ = *range;
    return Status(MainCpuRequest::SetRange, true);
}

MainCpuAnswer MainCpu::LoadData(const MainRequest& request, bool fail) {
    const auto load = DecodeMainLoad(request.arguments, memory_.size());
    if (!load || fail)
        return Status(MainCpuRequest::LoadData, false);
    std::copy(load->bytes.begin(), load->bytes.end(), memory_.begin() + load->address);
    return Status(MainCpuRequest::LoadData, true);
}

MainCpuAnswer MainCpu::Verify(const MainRequest& request, bool fail) {
    const auto verify = DecodeMainVerify(request.arguments, memory_.size());
    if (!verify || fail)
        return Status(MainCpuRequest::Verify, false);
    const auto begin = memory_.begin() + verify->range.start;
    std::uint16_t sum = 0;
    std::for_each(begin, begin + verify->range.size,
                  [&sum](std::uint8_t b) { sum = static_cast<std::uint16_t>(sum + b); });
    return Status(MainCpuRequest::Verify, sum == verify->sum);
}

MainCpuAnswer MainCpu::Begin(MainCpuRequest operation, const MainCpuBehaviour& behaviour,
                             bool fail) {
    // Nothing to work on, or a range that is still in use: refused before any work begins.
    if (!range_)
        return Status(operation, false);
    if (operation == MainCpuRequest::Install) {
        const auto state = ranges_.find(*range_);
        if (state == ranges_.end() || state->second != MainCpuRangeState::Uninstalled)
            return Status(operation, false);
    }
    running_ = Running{operation, *range_, ReportsFor(operation, *range_, behaviour), 0, !fail};
    return Step();
}

std::optional<MainCpuAnswer> MainCpu::Acknowledge(bool fail) {
    if (!running_)
        return std::nullopt;
    if (fail) {
        running_->succeeds = false;
        running_->reported = running_->reports.size();
    }
    return Step();
}

MainCpuAnswer MainCpu::Step() {
    Running& running = *running_;
    const MainCpuCode code = CodeOf(running.operation);
    if (running.reported < running.reports.size())
        return {MakeMainProgressReport(code, running.reports[running.reported++]), true};
    if (running.succeeds) {
        switch (running.operation) {
            case MainCpuRequest::Copy:
                ranges_[running.range] = MainCpuRangeState::Copied;
                break;
            case MainCpuRequest::Uninstall:
                ranges_[running.range] = MainCpuRangeState::Uninstalled;
                break;
            default:
                ranges_[running.range] = MainCpuRangeState::Installed;
                break;
        }
    }
    MainCpuAnswer reply{MakeMainFinalReply(code, running.succeeds ? kMainSuccess : kMainFailure),
                        true};
    running_.reset();
    return reply;
}

}  // namespace vx9kr::sim
