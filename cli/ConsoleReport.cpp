#include "cli/ConsoleReport.h"

#include <algorithm>

namespace vx9kr::cli {
namespace {

// A message box breaks its lines with "\r\n"; a console wants "\n".
std::string WithPlainLineBreaks(std::string text) {
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos)
        text.erase(at, 1);
    return text;
}

}  // namespace

ConsoleReport::ConsoleReport(std::ostream& out, std::ostream& err, bool bTerminal)
    : m_out(out), m_err(err), m_bTerminal(bTerminal), m_line(out) {}

void ConsoleReport::AppendLog(const std::string& text) {
    WriteLog(text);
}

void ConsoleReport::SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                              LcdRgb crBackground) {
    // The status line now shows this text, so the next progress text is news again.
    m_strProgressText.clear();
    if (LcdStatusColours{crText, crBackground} == STATUS_ERROR)
        m_strLastFailure = text;
    WriteLog(bLineBreak ? text + "\n" : text);
}

void ConsoleReport::SetStatusText(const std::string& text) {
    // The AD erase repeats its text on every poll; a device that hangs at one percentage must not
    // fill a script's log with it.
    if (text == m_strProgressText)
        return;
    m_strProgressText = text;
    ShowProgressText();
}

void ConsoleReport::SetProgress(int nPosition) {
    nPosition = std::clamp(nPosition, 0, 100);
    if (nPosition == m_nPosition)
        return;
    m_nPosition = nPosition;
    if (m_line.Shown())
        DrawProgressLine();
}

void ConsoleReport::StepProgress() {
    SetProgress(m_nPosition + 1);
}

void ConsoleReport::ShowWarning(const std::string& text, const std::string& caption) {
    EndProgressLine();
    m_out.flush();
    m_err << caption << ": " << WithPlainLineBreaks(text) << "\n";
    m_err.flush();
}

void ConsoleReport::PostRunFinished(int nResult) {
    m_nResult = nResult;
}

void ConsoleReport::ClearReport() {
    // What is printed stays printed; a new run begins with an empty status line and bar.
    m_nPosition = 0;
    m_strProgressText.clear();
    m_strLastFailure.clear();
    m_nResult.reset();
}

void ConsoleReport::WriteLog(const std::string& text) {
    if (text.empty())
        return;
    EndProgressLine();
    m_out << text;
    m_out.flush();
    m_bAtLineStart = text.back() == '\n';
}

void ConsoleReport::ShowProgressText() {
    if (!m_bTerminal) {
        EndLogLine();
        m_out << m_strProgressText << "\n";
        m_out.flush();
        return;
    }
    if (!m_line.Shown())
        EndLogLine();
    DrawProgressLine();
}

void ConsoleReport::DrawProgressLine() {
    if (!m_bTerminal)
        return;
    // The bar shows what the text says; the window's bar steps once per percentage instead,
    // which on a terminal would read as a contradiction of the text beside it.
    m_line.Draw(PercentIn(m_strProgressText).value_or(m_nPosition), m_strProgressText);
}

void ConsoleReport::EndProgressLine() {
    if (!m_line.Shown())
        return;
    // The last progress text stays on the screen, as the line that shows how far the step got.
    m_line.End();
    m_bAtLineStart = true;
}

void ConsoleReport::EndLogLine() {
    if (m_bAtLineStart)
        return;
    m_out << "\n";
    m_bAtLineStart = true;
}

}  // namespace vx9kr::cli
