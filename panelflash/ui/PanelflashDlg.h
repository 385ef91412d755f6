#pragma once

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "panelflash/engine/LcdMidiLink.h"
#include "panelflash/engine/LcdRunReport.h"
#include "panelflash/engine/LcdUpdater.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/midi/MidiService.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The notice by which a run's worker reports its end to the dialog, with the run's result.
inline constexpr int WM_RUN_FINISHED = 2025;

// How the program was started: what decides where its ini file is.
struct PanelflashStart {
    std::string commandLine;  // the text after the program's name
    std::string programPath;  // the program file's full path
};

// Panelflash's one window: port and folder choice, the two runs, and what they report.
class CPanelflashDlg final : public QDialog, public CLcdRunReport {
    Q_OBJECT

  public:
    using WorkerBody = std::function<void()>;
    // Starts a run's worker thread; replaced by tests to see a thread that cannot be made.
    using ThreadStarter = std::function<std::unique_ptr<std::thread>(WorkerBody)>;

    CPanelflashDlg(vx9kr::midi::MidiService& service, vx9kr::Clock& clock,
                   vx9kr::SettingsStore& settings, PanelflashStart start,
                   QWidget* parent = nullptr);
    ~CPanelflashDlg() override;

    void SetThreadStarter(ThreadStarter starter) { m_startThread = std::move(starter); }

    // Handlers, public so that a front end's tests can drive them as the buttons do.
    void OnOK();
    void OnEraseAd();
    void OnDetail();
    void OnBrowseFolder();
    void OnCancel();
    int OnRunFinished(int nResult);
    bool IsRunning() const { return m_pWorkerThread != nullptr; }

    // CLcdRunReport: safe from the worker thread; each returns once its effect is on screen.
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

    // The status line's colours as they are painted, and how often its brush was made.
    LcdStatusColours StatusColours() const { return {m_crStatusText, m_crStatusBack}; }
    int BrushCreations() const { return m_nBrushCreations; }
    std::int16_t ExeMode() const { return m_updater.m_nExeMode; }
    const std::string& IniFile() const { return m_strIniFile; }

    void reject() override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnInitDialog();
    void OnDestroy();
    void StartRun(const char* question, const char* caption, WorkerBody body);
    void UpdateFromControls();
    void UpdateControls();
    void FillPortList(QComboBox& list, const std::vector<vx9kr::midi::PortInfo>& ports);
    void LoadSettings();
    void SaveSettings();
    void ReadIniFile();
    // Runs `effect` on the window's own thread and returns when it is done.
    void OnWindowThread(const std::function<void()>& effect);

    QComboBox* m_cbIn;
    QComboBox* m_cbOut;
    QComboBox* m_cbFolder;
    QLabel* m_stStatus;
    QProgressBar* m_progress;
    QLabel* m_animation;
    QPlainTextEdit* m_edLog;
    QPushButton* m_btDetail;
    QPushButton* m_btEraseAd;

    std::string m_strIn;
    std::string m_strOut;
    std::string m_strFolder;
    QIcon m_hIcon;
    int m_bDetail = 1;
    std::unique_ptr<std::thread> m_pWorkerThread;
    std::atomic<bool> m_bWorkerEnded{false};
    LcdRgb m_crStatusBack{0, 0, 0};
    LcdRgb m_crStatusText{0, 0, 0};
    bool m_bHasBrush = false;
    int m_nBrushCreations = 0;
    int m_nClip = 0;

    vx9kr::midi::MidiService& m_service;
    vx9kr::SettingsStore& m_settings;
    CLcdMidiLink m_link;
    CLcdUpdater m_updater;
    const std::string m_strSection = "Setup";
    std::string m_strIniFile;
    PanelflashStart m_start;
    ThreadStarter m_startThread;
    bool m_bSaved = false;
};
