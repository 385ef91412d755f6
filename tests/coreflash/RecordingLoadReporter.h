#pragma once

#include <string>
#include <vector>

#include "coreflash/engine/LoadReporter.h"

// Keeps what the Main CPU engine showed: the status texts in order and the progress bar.
class RecordingLoadReporter final : public CLoadReporter {
  public:
    void SetStatusText(const std::string& text) override {
        status = text;
        texts.push_back(text);
    }
    void SetProgressRange(std::uint16_t nUpper) override { range = nUpper; }
    void SetProgressPos(int nPosition) override {
        position = nPosition;
        positions.push_back(nPosition);
    }
    void StepProgress() override {
        ++position;
        ++steps;
    }
    void PumpMessages() override { ++pumps; }

    std::string status;
    std::vector<std::string> texts;
    int range = 0;
    int position = 0;
    std::vector<int> positions;
    int steps = 0;
    int pumps = 0;
};
