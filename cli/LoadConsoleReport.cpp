#include "cli/LoadConsoleReport.h"

namespace vx9kr::cli {
namespace {

bool IsLoadingText(const std::string& text) {
    return text.rfind("Loading....", 0) == 0;
}

}  // namespace

LoadConsoleReport::LoadConsoleReport(std::ostream& out, bool bTerminal)
    : m_out(out), m_bTerminal(bTerminal), m_line(out) {}

void LoadConsoleReport::SetStatusText(const std::string& text) {
    m_strStatus = text;
    if (m_bTerminal && IsLoadingText(text)) {
        m_line.Draw(PercentIn(text).value_or(0), text);
        return;
    }
    m_line.End();
    m_out << text << "\n";
    m_out.flush();
}

}  // namespace vx9kr::cli
