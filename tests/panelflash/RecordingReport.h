#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "panelflash/engine/LcdRunReport.h"

// Keeps what a run showed, as a front end would show it: the log's text, the status line with its
// colours, the progress bar, the animation, and the run's last word.
class RecordingReport final : public CLcdRunReport {
  public:
    struct Frame {
        int clip;
        int frame;
    };

    void AppendLog(const std::string& text) override;
    void SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                   LcdRgb crBackground) override;
    void SetStatusText(const std::string& text) override;
    void SetProgress(int nPosition) override;
    void StepProgress() override;
    void OpenAnimation(int nClipId) override;
    void ShowAnimationFrame(int nFrame) override;
    void CloseAnimation() override;
    void ShowWarning(const std::string& text, const std::string& caption) override;
    void PostRunFinished(int nResult) override;
    void ClearReport() override;
    void EnableInputs(bool bEnable) override;
    void AddFolderToHistory(const std::string& folder) override;

    std::string log;
    std::string status;
    LcdStatusColours colours = STATUS_NORMAL;
    std::vector<std::string> statusTexts;  // every text the status line showed, in order
    int progress = 0;
    int steps = 0;
    int openClip = 0;  // 0 when no clip is loaded
    std::vector<Frame> frames;
    std::vector<std::string> warnings;  // "caption: text"
    std::optional<int> finished;
    std::vector<std::string> history;
};
