#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace vx9kr::cli {

// One line of a terminal that a run redraws in place: a bar and the text beside it. Whatever is
// written next starts a line of its own once End has been called.
class TerminalLine {
  public:
    static constexpr int BAR_WIDTH = 20;

    explicit TerminalLine(std::ostream& out) : m_out(out) {}

    // Draws "[####----] text" over what the line showed before.
    void Draw(int nPercent, const std::string& text);
    // Leaves the last drawing on the screen and moves to the next line.
    void End();
    bool Shown() const { return m_bShown; }

  private:
    std::ostream& m_out;
    bool m_bShown = false;
    std::size_t m_nDrawnLength = 0;
};

// The percentage that a progress text names ("... (Total 40% done.)", "Loading.... ( 33%)"), if
// it names one.
std::optional<int> PercentIn(const std::string& text);

}  // namespace vx9kr::cli
