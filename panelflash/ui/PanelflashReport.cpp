// What a run shows: the log, the status line in its colours, the progress bar and the animation.
// The worker calls these from its own thread; each hands its work to the window's thread and
// returns when it is done, so the reports appear in the order of the calls.

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>

#include "panelflash/ui/ClipPainter.h"
#include "panelflash/ui/PanelflashDlg.h"
#include "panelflash/ui/PanelflashTemplate.h"

namespace {

constexpr int LOG_TRIM_ABOVE = 30000;
constexpr int LOG_TRIM_AT_LEAST = 10000;

QColor ToQColor(LcdRgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The log's length with each line break counted as the two characters it is in the log's text.
int LogLength(const QTextDocument& document) {
    return document.characterCount() - 1 + (document.blockCount() - 1);
}

}  // namespace

void CPanelflashDlg::OnWindowThread(const std::function<void()>& effect) {
    if (QThread::currentThread() == thread()) {
        effect();
    } else {
        QMetaObject::invokeMethod(
            this, [&effect] { effect(); }, Qt::BlockingQueuedConnection);
    }
}

void CPanelflashDlg::AppendLog(const std::string& text) {
    OnWindowThread([&] {
        QTextDocument& document = *m_edLog->document();
        if (LogLength(document) > LOG_TRIM_ABOVE) {
            // Whole lines from the top, at least 10000 characters.
            int removed = 0;
            QTextBlock block = document.begin();
            while (block.isValid() && removed < LOG_TRIM_AT_LEAST) {
                removed += block.length() - 1 + 2;
                block = block.next();
            }
            m_edLog->setUpdatesEnabled(false);
            QTextCursor cursor(&document);
            cursor.setPosition(block.isValid() ? block.position() : document.characterCount() - 1,
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            m_edLog->setUpdatesEnabled(true);
        }
        QString lines = QString::fromStdString(text);
        lines.remove('\r');
        QTextCursor end(&document);
        end.movePosition(QTextCursor::End);
        end.insertText(lines);
        m_edLog->setTextCursor(end);
        m_edLog->ensureCursorVisible();
        m_edLog->verticalScrollBar()->setValue(m_edLog->verticalScrollBar()->maximum());
    });
}

void CPanelflashDlg::SetStatus(const std::string& text, bool bLineBreak, LcdRgb crText,
                               LcdRgb crBackground) {
    OnWindowThread([&] {
        if (!m_bHasBrush || !(crBackground == m_crStatusBack)) {
            m_bHasBrush = true;
            ++m_nBrushCreations;
        }
        m_crStatusText = crText;
        m_crStatusBack = crBackground;
        QPalette palette = m_stStatus->palette();
        palette.setColor(QPalette::Window, ToQColor(m_crStatusBack));
        palette.setColor(QPalette::WindowText, ToQColor(m_crStatusText));
        m_stStatus->setPalette(palette);
        m_stStatus->setText(QString::fromStdString(text));
        m_stStatus->update();
    });
    AppendLog(bLineBreak ? text + "\n" : text);
}

void CPanelflashDlg::SetStatusText(const std::string& text) {
    OnWindowThread([&] { m_stStatus->setText(QString::fromStdString(text)); });
}

void CPanelflashDlg::SetProgress(int nPosition) {
    OnWindowThread([&] { m_progress->setValue(nPosition); });
}

void CPanelflashDlg::StepProgress() {
    OnWindowThread([&] {
        // As a stepping bar does, it starts again from the beginning when it passes the end.
        const int next = m_progress->value() + 1;
        m_progress->setValue(next > m_progress->maximum() ? m_progress->minimum() : next);
    });
}

void CPanelflashDlg::OpenAnimation(int nClipId) {
    OnWindowThread([&] {
        m_nClip = nClipId;
        m_animation->clear();
    });
}

void CPanelflashDlg::ShowAnimationFrame(int nFrame) {
    OnWindowThread([&] {
        const QImage frame = PaintClipFrame(m_nClip, nFrame);
        if (!frame.isNull())
            m_animation->setPixmap(QPixmap::fromImage(frame));
    });
}

void CPanelflashDlg::CloseAnimation() {
    OnWindowThread([&] {
        m_nClip = 0;
        m_animation->clear();
        m_animation->repaint();
    });
}

void CPanelflashDlg::ShowWarning(const std::string& text, const std::string& caption) {
    OnWindowThread([&] {
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption),
                        QString::fromStdString(text).replace("\r\n", "\n"), QMessageBox::Ok, this);
        box.exec();
    });
}

void CPanelflashDlg::ClearReport() {
    OnWindowThread([&] {
        m_progress->setValue(0);
        ReportStatus("", true, STATUS_NORMAL);
        m_edLog->clear();
    });
}

void CPanelflashDlg::EnableInputs(bool bEnable) {
    OnWindowThread([&] {
        for (int id : {IDOK_START, IDCANCEL_CLOSE, IDC_BROWSE, IDC_FOLDER, IDC_OUT_PORT,
                       IDC_IN_PORT, IDC_ERASE_AD}) {
            vx9kr::ControlById(*this, id)->setEnabled(bEnable);
        }
    });
}
