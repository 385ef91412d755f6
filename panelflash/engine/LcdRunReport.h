#pragma once

#include <cstdint>
#include <string>

struct LcdRgb {
    std::uint8_t red, green, blue;
    friend bool operator==(const LcdRgb&, const LcdRgb&) = default;
};

// Text and background colour of the status line.
struct LcdStatusColours {
    LcdRgb text;
    LcdRgb background;
    friend bool operator==(const LcdStatusColours&, const LcdStatusColours&) = default;
};

inline constexpr LcdStatusColours STATUS_NORMAL{{0, 0, 0}, {236, 233, 216}};
inline constexpr LcdStatusColours STATUS_ERROR{{255, 255, 0}, {255, 0, 0}};
inline constexpr LcdStatusColours STATUS_SUCCESS{{255, 255, 0}, {0, 0, 255}};

// How an LCD run tells the operator what happens. The run calls it from its worker thread (but
// ClearReport, EnableInputs and AddFolderToHistory, which the frame of a run calls from the front
// end's own thread); each operation returns once its effect is shown, but PostRunFinished, which
// returns at once.
class CLcdRunReport {
  public:
    virtual ~CLcdRunReport() = default;

    // Each "\n" in the text ends a line of the log.
    virtual void AppendLog(const std::string& text) = 0;
    // Shows the text in the status line in these colours and appends it to the log, followed by
    // "\n" when bLineBreak is set.
    virtual void SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                           LcdRgb crBackground) = 0;
    // Replaces the status line's text; colours and log stay.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgress(int nPosition) = 0;
    virtual void StepProgress() = 0;
    // Loads a clip (LCD_CLIP_COPYING or LCD_CLIP_WAITING) without playing it.
    virtual void OpenAnimation(int nClipId) = 0;
    virtual void ShowAnimationFrame(int nFrame) = 0;
    virtual void CloseAnimation() = 0;
    // A modal warning with an OK button; returns when the operator has closed it.
    virtual void ShowWarning(const std::string& text, const std::string& caption) = 0;
    // The run's last word: 0 success, 1 failure.
    virtual void PostRunFinished(int nResult) = 0;
    // Progress 0, status line empty in STATUS_NORMAL, log empty.
    virtual void ClearReport() = 0;
    virtual void EnableInputs(bool bEnable) = 0;
    virtual void AddFolderToHistory(const std::string& folder) = 0;

    void ReportStatus(const std::string& text, bool bLineBreak, const LcdStatusColours& colours) {
        SetStatus(text, bLineBreak, colours.text, colours.background);
    }
};
