#include "sim/main/MainCpuModel.h"

#include <algorithm>

namespace vx9kr::sim {

namespace {

// Group and command: what the host's input has of a reply cut short after them.
constexpr std::size_t kCutShortLength = kDevicePayloadOffset;

}  // namespace

MainCpuModel::MainCpuModel(MainCpuBehaviour behaviour)
    : behaviour_(std::move(behaviour)), cpu_(behaviour_.memorySize) {}

void MainCpuModel::Receive(std::span<const std::uint8_t> message, midi::DeviceWire& wire) {
    std::vector<Outgoing> outgoing;
    {
        std::lock_guard lock(mutex_);
        outgoing = Answer(message);
    }
    SendAll(outgoing, wire);
}

void MainCpuModel::ChangeBehaviour(const std::function<void(MainCpuBehaviour&)>& change) {
    std::lock_guard lock(mutex_);
    change(behaviour_);
}

Bytes MainCpuModel::Memory() const {
    std::lock_guard lock(mutex_);
    return cpu_.Memory();
}

bool MainCpuModel::Selected() const {
    std::lock_guard lock(mutex_);
    return cpu_.Selected();
}

std::vector<MainCpuRangeRecord> MainCpuModel::Ranges() const {
    std::lock_guard lock(mutex_);
    return cpu_.Ranges();
}

std::vector<MainCpuRequestRecord> MainCpuModel::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<Outgoing> MainCpuModel::Answer(std::span<const std::uint8_t> message) {
    const std::size_t ordinal = requests_.size();
    const auto request = ParseMainRequest(message);
    requests_.push_back(
        {ordinal, request ? request->kind : std::nullopt, {message.begin(), message.end()}});
    if (behaviour_.silentFrom && ordinal >= *behaviour_.silentFrom)
        return {};
    // Not a message for this device: a real one lets it pass unanswered.
    if (!request)
        return {};

    const bool fail = request->kind && Failing(*request->kind);
    std::optional<MainCpuAnswer> answer = cpu_.Handle(*request, behaviour_, fail);
    std::vector<Outgoing> outgoing;
    Unasked(ordinal, MainCpuUnaskedWhen::BeforeReply, outgoing);
    if (answer) {
        lastReply_ = answer->bytes;
        outgoing.push_back(Reply(ordinal, std::move(*answer)));
    }
    Unasked(ordinal, MainCpuUnaskedWhen::AfterReply, outgoing);
    return outgoing;
}

bool MainCpuModel::Failing(MainCpuRequest request) {
    const std::size_t occurrence = occurrences_[request]++;
    return std::any_of(behaviour_.failures.begin(), behaviour_.failures.end(),
                       [&](const MainCpuFailure& failure) {
                           return failure.request == request &&
                                  (!failure.occurrence || *failure.occurrence == occurrence);
                       });
}

void MainCpuModel::Unasked(std::size_t ordinal, MainCpuUnaskedWhen when,
                           std::vector<Outgoing>& outgoing) const {
    for (const MainCpuUnasked& unasked : behaviour_.unasked) {
        if (unasked.request != ordinal || unasked.when != when)
            continue;
        if (!unasked.message.empty())
            outgoing.push_back({unasked.message, true, unasked.delay});
        else if (lastReply_)
            outgoing.push_back({*lastReply_, true, unasked.delay});
    }
}

Outgoing MainCpuModel::Reply(std::size_t ordinal, MainCpuAnswer answer) const {
    Outgoing reply{std::move(answer.bytes)};
    if (behaviour_.oversizedReplies.count(ordinal))
        reply.bytes.insert(reply.bytes.end() - 1, kMainOversizedPadding, 'X');
    if (behaviour_.cutShortReplies.count(ordinal)) {
        reply.bytes.resize(kCutShortLength);
        reply.complete = false;
        return reply;
    }
    if (answer.operationStep)
        reply.delay += behaviour_.progressStep;
    const auto slow = behaviour_.slowReplies.find(ordinal);
    if (slow != behaviour_.slowReplies.end())
        reply.delay += slow->second;
    return reply;
}

}  // namespace vx9kr::sim
