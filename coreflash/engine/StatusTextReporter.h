#pragma once

#include <string>

#include "coreflash/engine/LoadReporter.h"

// For a front end that has no progress bar and no window to serve: it keeps the status line's
// texts, the last one being what a dialog would still show.
class CStatusTextReporter final : public CLoadReporter {
  public:
    void SetStatusText(const std::string& text) override {
        m_strStatus = text;
        ++m_nTexts;
    }
    void SetProgressRange(std::uint16_t) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void PumpMessages() override {}

    const std::string& Status() const { return m_strStatus; }
    // How many texts have been shown.
    int Texts() const { return m_nTexts; }

  private:
    std::string m_strStatus;
    int m_nTexts = 0;
};
