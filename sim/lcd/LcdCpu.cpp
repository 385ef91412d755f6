#include "sim/lcd/LcdCpu.h"

#include <algorithm>

#include "sim/lcd/LcdDataMessages.h"
#include "sim/lcd/LcdStagedFiles.h"

namespace vx9kr::sim {

namespace {

Bytes Ok(std::uint16_t command) {
    return MakeLcdStatusReply(command, kLcdSuccess);
}

Bytes Refuse(std::uint16_t command, std::string_view why) {
    return MakeLcdStatusReply(command, kLcdFailure, why);
}

std::string NameOf(std::span<const std::uint8_t> payload) {
    return {payload.begin(), payload.end()};
}

bool ChangesTheStore(std::uint16_t command) {
    switch (command) {
        case kLcdErase:
        case kLcdRemoveDir:
        case kLcdDeleteRename:
        case kLcdSetFileName:
        case kLcdDownload:
        case kLcdChecksum:
        case kLcdStatus:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<Bytes> LcdCpu::Handle(const LcdRequest& request, const LcdCpuBehaviour& behaviour) {
    const std::uint16_t command = request.command;
    if (ChangesTheStore(command) && !updateMode_)
        return Refuse(command, "Not in update mode");
    switch (command) {
        case kLcdEnterUpdate:
            return EnterUpdate(request);
        case kLcdExitUpdate:
            updateMode_ = false;
            incoming_.reset();
            return Ok(command);
        case kLcdModelName:
            return MakeLcdTextReply(command, behaviour.modelName);
        case kLcdVersion:
            return MakeLcdTextReply(command, behaviour.version);
        case kLcdErase:
            store_.Clear();
            incoming_.reset();
            return Ok(command);
        case kLcdRemoveDir:
            store_.Clear();
            incoming_.reset();
            BeginWrite(behaviour);
            return Ok(command);
        case kLcdDeleteRename:
            return DeleteRename(request);
        case kLcdFindAd:
            if (store_.Matching(kLcdAdFirmwarePattern).empty())
                return Refuse(command, "No AD firmware");
            return Ok(command);
        case kLcdEraseAd:
            return EraseAd();
        case kLcdSetFileName:
            return SetFileName(request);
        case kLcdDownload:
            return Download(request);
        case kLcdChecksum:
            return Checksum(request, behaviour);
        case kLcdStatus:
            return Status();
        case kLcdAdEraseStatus:
            return AdEraseStatus(behaviour);
        default:
            return Refuse(command, "Unknown command");
    }
}

std::optional<Bytes> LcdCpu::EnterUpdate(const LcdRequest& request) {
    if (!std::equal(request.payload.begin(), request.payload.end(), kLcdAccessString.begin(),
                    kLcdAccessString.end())) {
        return std::nullopt;
    }
    updateMode_ = true;
    return Ok(request.command);
}

Bytes LcdCpu::DeleteRename(const LcdRequest& request) {
    if (!store_.Contains(NameOf(request.payload)))
        return Refuse(request.command, "File not found");
    InstallStagedFiles(store_);
    return Ok(request.command);
}

Bytes LcdCpu::SetFileName(const LcdRequest& request) {
    if (request.payload.empty())
        return Refuse(request.command, "No file name");
    // A file that was still arriving is abandoned; the stored one of that name stays until the
    // new one's checksum is accepted.
    incoming_ = Incoming{NameOf(request.payload), {}};
    return Ok(request.command);
}

Bytes LcdCpu::Download(const LcdRequest& request) {
    if (!incoming_)
        return Refuse(request.command, "No file name");
    LcdBlock block = DecodeLcdBlock(request.payload, incoming_->bytes.size());
    if (!block.error.empty())
        return Refuse(request.command, block.error);
    incoming_->bytes.insert(incoming_->bytes.end(), block.bytes.begin(), block.bytes.end());
    return Ok(request.command);
}

Bytes LcdCpu::Checksum(const LcdRequest& request, const LcdCpuBehaviour& behaviour) {
    const LcdFileChecksum checksum = DecodeLcdFileChecksum(request.payload);
    if (!checksum.error.empty())
        return Refuse(request.command, checksum.error);
    if (!incoming_)
        return Refuse(request.command, "No file being received");
    // A file that fails its checksum is thrown away: the host starts it again with its name.
    Incoming file = std::move(*incoming_);
    incoming_.reset();
    if (checksum.size != file.bytes.size())
        return Refuse(request.command, "Size mismatch");
    if (checksum.sum != LcdFileSum(file.bytes))
        return Refuse(request.command, "Sum mismatch");
    store_.Put(file.name, std::move(file.bytes));
    BeginWrite(behaviour);
    return Ok(request.command);
}

Bytes LcdCpu::Status() {
    if (busyAnswersLeft_ > 0) {
        --busyAnswersLeft_;
        return MakeLcdStatusReply(kLcdStatus, kLcdBusy);
    }
    return Ok(kLcdStatus);
}

Bytes LcdCpu::EraseAd() {
    if (store_.Matching(kLcdAdFirmwarePattern).empty())
        return Refuse(kLcdEraseAd, "No AD firmware");
    adErase_ = {LcdAdErasePhase::Erasing, 0, 0};
    return Ok(kLcdEraseAd);
}

Bytes LcdCpu::AdEraseStatus(const LcdCpuBehaviour& behaviour) {
    // With no erase since power-on there is nothing being erased: done.
    if (adErase_.phase == LcdAdErasePhase::Idle)
        return MakeLcdStatusReply(kLcdAdEraseStatus, kLcdEraseDone);
    if (adErase_.phase == LcdAdErasePhase::Finished) {
        ++adErase_.polls;
        return MakeLcdStatusReply(kLcdAdEraseStatus, kLcdEraseDone);
    }
    const auto& steps = behaviour.adEraseSteps;
    std::uint8_t progress = kLcdEraseDone;
    if (!steps.empty())
        progress = steps[std::min(adErase_.polls, steps.size() - 1)];
    ++adErase_.polls;
    // Percentages past 100 still end the erase; a SysEx data byte cannot carry more than 7F.
    progress = std::min<std::uint8_t>(progress, 0x7F);
    adErase_.progress = progress;
    if (progress >= kLcdEraseDone) {
        for (const std::string& name : store_.Matching(kLcdAdFirmwarePattern))
            store_.Remove(name);
        adErase_.phase = LcdAdErasePhase::Finished;
    }
    return MakeLcdStatusReply(kLcdAdEraseStatus, progress);
}

void LcdCpu::BeginWrite(const LcdCpuBehaviour& behaviour) {
    const auto& perWait = behaviour.busyAnswersPerWait;
    busyAnswersLeft_ =
        writesBegun_ < perWait.size() ? perWait[writesBegun_] : behaviour.defaultBusyAnswers;
    ++writesBegun_;
}

}  // namespace vx9kr::sim
