// The frame of every run: the operator's confirmation, the ports opened here, one worker thread
// for the device dialogue, and the end, where the ports are closed and the worker joined while
// the window goes on serving its events.

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMessageBox>
#include <system_error>

#include "panelflash/engine/LcdRunFrame.h"
#include "panelflash/ui/PanelflashDlg.h"

namespace {

// The erase question ends in a full-width question mark.
constexpr char ERASE_AD_QUESTION[] = "Erase AD Firmware.\r\nAre you sure\xEF\xBC\x9F";

}  // namespace

void CPanelflashDlg::OnOK() {
    StartRun("Start LCD firmware update?", "Update?", [this] { m_updater.RunUpdate(m_strFolder); });
}

void CPanelflashDlg::OnEraseAd() {
    StartRun(ERASE_AD_QUESTION, "Erase?", [this] { m_updater.RunAdErase(); });
}

void CPanelflashDlg::StartRun(const char* question, const char* caption, WorkerBody body) {
    if (m_pWorkerThread)
        return;
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(caption),
                    QString::fromUtf8(question).replace("\r\n", "\n"),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    if (box.exec() != QMessageBox::Ok)
        return;

    UpdateFromControls();
    if (!BeginLcdRun(m_link, *this, m_strOut, m_strIn))
        return;

    m_bWorkerEnded = false;
    auto worker = [this, body = std::move(body)] {
        body();
        // The worker's last acts: it is done, and the window's thread, which may be waiting for
        // that among its events, is woken to see it.
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread());
        m_bWorkerEnded = true;
        if (dispatcher)
            dispatcher->wakeUp();
    };
    try {
        m_pWorkerThread = m_startThread(std::move(worker));
    } catch (const std::system_error&) {
        m_pWorkerThread.reset();
    }
    if (!m_pWorkerThread) {
        // Without a worker nothing will close the ports: close them now and say why.
        m_link.Close();
        ReportStatus("Worker thread start error.", true, STATUS_ERROR);
        return;
    }
    EnableInputs(false);
}

namespace {

// The worker's end-of-run notice, carrying its result.
class CRunFinishedEvent final : public QEvent {
  public:
    explicit CRunFinishedEvent(int nResult)
        : QEvent(static_cast<QEvent::Type>(WM_RUN_FINISHED)), m_nResult(nResult) {}
    int m_nResult;
};

}  // namespace

void CPanelflashDlg::PostRunFinished(int nResult) {
    QCoreApplication::postEvent(this, new CRunFinishedEvent(nResult));
}

bool CPanelflashDlg::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(WM_RUN_FINISHED)) {
        OnRunFinished(static_cast<CRunFinishedEvent*>(event)->m_nResult);
        return true;
    }
    return QDialog::event(event);
}

int CPanelflashDlg::OnRunFinished(int nResult) {
    if (!m_pWorkerThread)
        return 1;
    EndLcdRun(m_link, *this, nResult, m_strFolder);
    // The worker may still be reporting: wait for its end while serving the window's events.
    while (!m_bWorkerEnded)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_pWorkerThread->join();
    m_pWorkerThread.reset();
    EnableInputs(true);
    return 1;
}
