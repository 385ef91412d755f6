#include "sim/lcd/LcdCpuModel.h"

#include <algorithm>

namespace vx9kr::sim {

namespace {

// More than the host's reply buffer of 4096 bytes holds.
constexpr std::size_t kOversizedPayload = 4096;

}  // namespace

LcdCpuModel::LcdCpuModel(LcdCpuBehaviour behaviour)
    : behaviour_(std::move(behaviour)), cpu_(behaviour_.initialFiles) {}

void LcdCpuModel::Receive(std::span<const std::uint8_t> message, midi::DeviceWire& wire) {
    std::vector<Outgoing> outgoing;
    {
        std::lock_guard lock(mutex_);
        outgoing = Answer(message);
    }
    SendAll(outgoing, wire);
}

void LcdCpuModel::ChangeBehaviour(const std::function<void(LcdCpuBehaviour&)>& change) {
    std::lock_guard lock(mutex_);
    change(behaviour_);
}

LcdFileStore::Files LcdCpuModel::Files() const {
    std::lock_guard lock(mutex_);
    return cpu_.Store().Snapshot();
}

bool LcdCpuModel::InUpdateMode() const {
    std::lock_guard lock(mutex_);
    return cpu_.InUpdateMode();
}

LcdAdEraseState LcdCpuModel::AdErase() const {
    std::lock_guard lock(mutex_);
    return cpu_.AdErase();
}

std::vector<LcdRequestRecord> LcdCpuModel::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<Outgoing> LcdCpuModel::Answer(std::span<const std::uint8_t> message) {
    const std::size_t ordinal = requests_.size();
    requests_.push_back({LcdCommandOf(message), message.size(), {message.begin(), message.end()}});
    if (behaviour_.silentFrom && ordinal >= *behaviour_.silentFrom)
        return {};

    Bytes arrived(message.begin(), message.end());
    if (behaviour_.corruptRequests.count(ordinal) && arrived.size() > kDeviceFrameSize)
        arrived[arrived.size() - 2] ^= 0x01;  // the last payload byte, just before the F7
    const auto request = ParseLcdRequest(arrived);
    // Not a message for this device: a real one lets it pass unanswered.
    if (!request)
        return {};

    std::vector<Outgoing> outgoing = StrayReplies(ordinal, request->command);
    std::optional<Bytes> reply = RealReply(*request);
    if (reply) {
        lastReply_ = *reply;
        Corrupt(ordinal, *reply);
        const auto slow = behaviour_.slowReplies.find(ordinal);
        outgoing.push_back(
            {std::move(*reply), true,
             slow != behaviour_.slowReplies.end() ? slow->second : Clock::Duration(0)});
    }
    return outgoing;
}

std::optional<Bytes> LcdCpuModel::RealReply(const LcdRequest& request) {
    if (auto refusal = DeclaredRefusal(request))
        return refusal;
    if (request.command == kLcdDownload && cpu_.InUpdateMode()) {
        const std::size_t block = blocksExamined_;
        const auto wanted = behaviour_.resendBlocks.find(block);
        if (wanted != behaviour_.resendBlocks.end() && resendsAsked_[block] < wanted->second) {
            ++resendsAsked_[block];
            return MakeLcdStatusReply(kLcdDownload, kLcdResend);
        }
        ++blocksExamined_;
    }
    return cpu_.Handle(request, behaviour_);
}

std::optional<Bytes> LcdCpuModel::DeclaredRefusal(const LcdRequest& request) {
    const std::size_t occurrence = occurrences_[request.command]++;
    for (const LcdRefusal& refusal : behaviour_.refusals) {
        if (refusal.command == request.command &&
            (!refusal.occurrence || *refusal.occurrence == occurrence)) {
            return MakeLcdStatusReply(request.command, kLcdFailure, refusal.text);
        }
    }
    return std::nullopt;
}

std::vector<Outgoing> LcdCpuModel::StrayReplies(std::size_t ordinal, std::uint16_t command) const {
    std::vector<Outgoing> strays;
    for (const LcdStrayReply& stray : behaviour_.strayReplies) {
        if (stray.request != ordinal)
            continue;
        const std::size_t before = strays.size();
        switch (stray.kind) {
            case LcdStray::LateReply:
                if (lastReply_)
                    strays.push_back({*lastReply_});
                break;
            case LcdStray::ForeignReply:
                // What the device would say to a status request, or to a model name request when
                // the status is what was asked.
                if (command == kLcdStatus)
                    strays.push_back({MakeLcdTextReply(kLcdModelName, behaviour_.modelName)});
                else
                    strays.push_back({MakeLcdStatusReply(kLcdStatus, kLcdSuccess)});
                break;
            case LcdStray::ShortReply:
                strays.push_back({{kSysExStart, kDeviceHeader[1], kDeviceHeader[2], kSysExEnd}});
                break;
            case LcdStray::OversizedReply:
                strays.push_back({MakeLcdReply(command, Bytes(kOversizedPayload, 'X'))});
                break;
            case LcdStray::CutShortReply: {
                Bytes cut = MakeLcdReply(command, {});
                cut.resize(kDevicePayloadOffset);
                strays.push_back({std::move(cut), false});
                break;
            }
        }
        if (strays.size() > before)
            strays.back().delay = stray.delay;
    }
    return strays;
}

void LcdCpuModel::Corrupt(std::size_t ordinal, Bytes& reply) const {
    for (const LcdReplyCorruption& corruption : behaviour_.corruptReplies) {
        if (corruption.request == ordinal && corruption.offset < reply.size())
            reply[corruption.offset] ^= corruption.flip;
    }
}

}  // namespace vx9kr::sim
