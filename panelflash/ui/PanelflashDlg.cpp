#include "panelflash/ui/PanelflashDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "panelflash/ui/FolderBrowser.h"
#include "panelflash/ui/ModelBadge.h"
#include "panelflash/ui/PanelflashTemplate.h"
#include "platform/SortedCombo.h"

using vx9kr::ControlAs;

CPanelflashDlg::CPanelflashDlg(vx9kr::midi::MidiService& service, vx9kr::Clock& clock,
                               vx9kr::SettingsStore& settings, PanelflashStart start,
                               QWidget* parent)
    : QDialog(parent),
      m_hIcon(ModelBadgeIcon()),
      m_service(service),
      m_settings(settings),
      m_link(service, clock),
      m_updater(m_link, *this, clock),
      m_start(std::move(start)),
      m_startThread(
          [](WorkerBody body) { return std::make_unique<std::thread>(std::move(body)); }) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    vx9kr::BuildFromTemplate(*this, PanelflashTemplate());
    m_cbIn = ControlAs<QComboBox>(*this, IDC_IN_PORT);
    m_cbOut = ControlAs<QComboBox>(*this, IDC_OUT_PORT);
    m_cbFolder = ControlAs<QComboBox>(*this, IDC_FOLDER);
    m_stStatus = ControlAs<QLabel>(*this, IDC_STATUS);
    m_progress = ControlAs<QProgressBar>(*this, IDC_PROGRESS);
    m_animation = ControlAs<QLabel>(*this, IDC_ANIMATION);
    m_edLog = ControlAs<QPlainTextEdit>(*this, IDC_LOG);
    m_btDetail = ControlAs<QPushButton>(*this, IDC_DETAIL);
    m_btEraseAd = ControlAs<QPushButton>(*this, IDC_ERASE_AD);

    connect(ControlAs<QPushButton>(*this, IDOK_START), &QPushButton::clicked, this,
            &CPanelflashDlg::OnOK);
    connect(ControlAs<QPushButton>(*this, IDCANCEL_CLOSE), &QPushButton::clicked, this,
            &CPanelflashDlg::OnCancel);
    connect(m_btEraseAd, &QPushButton::clicked, this, &CPanelflashDlg::OnEraseAd);
    connect(m_btDetail, &QPushButton::clicked, this, &CPanelflashDlg::OnDetail);
    connect(ControlAs<QPushButton>(*this, IDC_BROWSE), &QPushButton::clicked, this,
            &CPanelflashDlg::OnBrowseFolder);
    OnInitDialog();
}

CPanelflashDlg::~CPanelflashDlg() {
    OnDestroy();
}

void CPanelflashDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    FillPortList(*m_cbIn, m_service.Inputs());
    FillPortList(*m_cbOut, m_service.Outputs());
    LoadSettings();
    m_progress->setRange(0, 100);
    ClearReport();
    UpdateControls();
    OnDetail();
    ReadIniFile();
}

void CPanelflashDlg::FillPortList(QComboBox& list,
                                  const std::vector<vx9kr::midi::PortInfo>& ports) {
    for (const vx9kr::midi::PortInfo& port : ports) {
        if (!port.capabilitiesRead)
            continue;
        vx9kr::AddSorted(list, QString::fromStdString(port.name), port.number);
    }
    list.setCurrentIndex(-1);
}

void CPanelflashDlg::UpdateFromControls() {
    m_strIn = m_cbIn->currentIndex() >= 0 ? m_cbIn->currentText().toStdString() : "";
    m_strOut = m_cbOut->currentIndex() >= 0 ? m_cbOut->currentText().toStdString() : "";
    m_strFolder = m_cbFolder->currentText().toStdString();
}

void CPanelflashDlg::UpdateControls() {
    m_cbIn->setCurrentIndex(vx9kr::FindByBeginning(*m_cbIn, QString::fromStdString(m_strIn)));
    m_cbOut->setCurrentIndex(vx9kr::FindByBeginning(*m_cbOut, QString::fromStdString(m_strOut)));
    const QString folder = QString::fromStdString(m_strFolder);
    const int entry = vx9kr::FindByBeginning(*m_cbFolder, folder);
    m_cbFolder->setCurrentIndex(entry);
    if (entry < 0)
        m_cbFolder->setEditText(folder);
}

void CPanelflashDlg::OnDetail() {
    const QRect window = frameGeometry();
    const QRect log(m_edLog->mapTo(this, QPoint(0, 0)) + geometry().topLeft(), m_edLog->size());
    QString caption = m_btDetail->text();
    m_bDetail = !m_bDetail;
    int bottom;  // the window's new outer lower edge, one past its last row
    if (m_bDetail) {
        bottom = log.top() + log.height() + (log.left() - window.left());
        caption.replace('>', '<');
    } else {
        bottom = log.top();
        caption.replace('<', '>');
    }
    const int frameHeight = window.height() - height();
    setFixedSize(width(), bottom - window.top() - frameHeight);
    m_btDetail->setText(caption);
}

void CPanelflashDlg::OnBrowseFolder() {
    UpdateFromControls();
    CFolderBrowser browser;
    if (browser.Browse(this, "File Folder", m_strFolder)) {
        AddFolderToHistory(m_strFolder);
        UpdateControls();
    }
}

void CPanelflashDlg::OnCancel() {
    if (m_pWorkerThread)
        return;
    QDialog::reject();
}

void CPanelflashDlg::reject() {
    OnCancel();
}

void CPanelflashDlg::closeEvent(QCloseEvent* event) {
    if (m_pWorkerThread) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CPanelflashDlg::OnDestroy() {
    if (m_bSaved)
        return;
    m_bSaved = true;
    SaveSettings();
}
