#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/TerminalLine.h"
#include "panelflash/engine/LcdRunReport.h"

namespace vx9kr::cli {

// An LCD run's report on a console: the log's text goes to `out` as it comes, partial lines
// included, so that the dots of a busy device appear while it works. The status line's progress
// texts (SetStatusText) share `out` with the log: on a terminal they are drawn over each other on
// one line with a bar, which is ended before the log goes on; elsewhere (a pipe, a file) each new
// text gets a line of its own, so that a script's log shows how far a failed run got. The warning
// box goes to `err`. Animations, input controls and the folder history have nothing to show here.
//
// The run calls it from one thread at a time; the command-line program runs the worker's body on
// its own thread.
class ConsoleReport final : public CLcdRunReport {
  public:
    ConsoleReport(std::ostream& out, std::ostream& err, bool bTerminal);

    void AppendLog(const std::string& text) override;
    void SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                   LcdRgb crBackground) override;
    void SetStatusText(const std::string& text) override;
    void SetProgress(int nPosition) override;
    void StepProgress() override;
    void OpenAnimation(int) override {}
    void ShowAnimationFrame(int) override {}
    void CloseAnimation() override {}
    void ShowWarning(const std::string& text, const std::string& caption) override;
    void PostRunFinished(int nResult) override;
    void ClearReport() override;
    void EnableInputs(bool) override {}
    void AddFolderToHistory(const std::string&) override {}

    // What the worker's last word said; empty until it has spoken.
    std::optional<int> RunResult() const { return m_nResult; }
    // The last text shown in STATUS_ERROR, which a window would still show in red at the end.
    const std::string& LastFailure() const { return m_strLastFailure; }

  private:
    void WriteLog(const std::string& text);
    void ShowProgressText();
    void DrawProgressLine();
    // Ends a progress line that is on the terminal, so that what follows starts a line of its own.
    void EndProgressLine();
    // Ends an open log line, so that a progress text does not run into it.
    void EndLogLine();

    std::ostream& m_out;
    std::ostream& m_err;
    const bool m_bTerminal;

    bool m_bAtLineStart = true;
    TerminalLine m_line;            // the progress texts' line on a terminal
    std::string m_strProgressText;  // the status line's progress text; empty when it shows another
    int m_nPosition = 0;
    std::string m_strLastFailure;
    std::optional<int> m_nResult;
};

}  // namespace vx9kr::cli
