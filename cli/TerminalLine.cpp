#include "cli/TerminalLine.h"

#include <algorithm>
#include <cctype>

namespace vx9kr::cli {

void TerminalLine::Draw(int nPercent, const std::string& text) {
    const int nFilled = std::clamp(nPercent, 0, 100) * BAR_WIDTH / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(nFilled), '#') +
                       std::string(static_cast<std::size_t>(BAR_WIDTH - nFilled), '-') + "] " +
                       text;
    const std::size_t nLength = line.size();
    // Blanks over what a longer text before it left on the line.
    if (nLength < m_nDrawnLength)
        line.append(m_nDrawnLength - nLength, ' ');
    m_nDrawnLength = nLength;
    m_bShown = true;
    m_out << "\r" << line;
    m_out.flush();
}

void TerminalLine::End() {
    if (!m_bShown)
        return;
    m_out << "\n";
    m_bShown = false;
    m_nDrawnLength = 0;
}

std::optional<int> PercentIn(const std::string& text) {
    const std::size_t percent = text.rfind('%');
    if (percent == std::string::npos)
        return std::nullopt;
    std::size_t first = percent;
    while (first > 0 && std::isdigit(static_cast<unsigned char>(text[first - 1])))
        --first;
    if (first == percent || percent - first > 3)
        return std::nullopt;
    return std::min(100, std::stoi(text.substr(first, percent - first)));
}

}  // namespace vx9kr::cli
