#pragma once

#include <ostream>
#include <string>

#include "cli/TerminalLine.h"
#include "coreflash/engine/LoadReporter.h"

namespace vx9kr::cli {

// A Main CPU load's report on a console: each status text on a line of its own, as the status
// line shows it, one line for each time it is set, so that a log shows every block's start. On a
// terminal the "Loading...." texts share one line instead, redrawn with a bar.
class LoadConsoleReport final : public CLoadReporter {
  public:
    LoadConsoleReport(std::ostream& out, bool bTerminal);

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(std::uint16_t) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void PumpMessages() override {}

    // The status line's last text: the run's outcome.
    const std::string& Status() const { return m_strStatus; }

  private:
    std::ostream& m_out;
    const bool m_bTerminal;
    TerminalLine m_line;
    std::string m_strStatus;
};

}  // namespace vx9kr::cli
