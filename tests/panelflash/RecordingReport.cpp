#include "tests/panelflash/RecordingReport.h"

#include <algorithm>

void RecordingReport::AppendLog(const std::string& text) {
    log += text;
}

void RecordingReport::SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                                LcdRgb crBackground) {
    status = text;
    statusTexts.push_back(text);
    colours = {crText, crBackground};
    log += text;
    if (bLineBreak)
        log += "\n";
}

void RecordingReport::SetStatusText(const std::string& text) {
    status = text;
    statusTexts.push_back(text);
}

void RecordingReport::SetProgress(int nPosition) {
    progress = nPosition;
}

void RecordingReport::StepProgress() {
    ++steps;
    progress = std::min(progress + 1, 100);
}

void RecordingReport::OpenAnimation(int nClipId) {
    openClip = nClipId;
}

void RecordingReport::ShowAnimationFrame(int nFrame) {
    frames.push_back({openClip, nFrame});
}

void RecordingReport::CloseAnimation() {
    openClip = 0;
}

void RecordingReport::ShowWarning(const std::string& text, const std::string& caption) {
    warnings.push_back(caption + ": " + text);
}

void RecordingReport::PostRunFinished(int nResult) {
    finished = nResult;
}

void RecordingReport::ClearReport() {
    progress = 0;
    status.clear();
    colours = STATUS_NORMAL;
    log.clear();
}

void RecordingReport::EnableInputs(bool) {}

void RecordingReport::AddFolderToHistory(const std::string& folder) {
    history.push_back(folder);
}
