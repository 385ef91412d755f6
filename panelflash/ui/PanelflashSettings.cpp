// What Panelflash remembers between two starts, and what its ini file says.

#include <QComboBox>
#include <QPushButton>

#include "panelflash/ui/PanelflashDlg.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SortedCombo.h"

namespace {

constexpr int HISTORY_SIZE = 99;

std::string HistoryKey(int i) {
    return vx9kr::Format("FOLDER%02d", i);
}

}  // namespace

void CPanelflashDlg::LoadSettings() {
    for (int i = 0; i < HISTORY_SIZE; ++i) {
        const QString folder = QString::fromStdString(m_settings.ReadString(HistoryKey(i), ""));
        if (folder.isEmpty())
            break;
        if (vx9kr::FindSame(*m_cbFolder, folder) < 0)
            vx9kr::AddSorted(*m_cbFolder, folder);
    }
    m_cbFolder->setCurrentIndex(-1);
    m_strOut = m_settings.ReadString("Out", "");
    m_strIn = m_settings.ReadString("In", "");
    m_strFolder = m_settings.ReadString("Folder", "");
    m_bDetail = m_settings.ReadInt("Detail", 1);
}

void CPanelflashDlg::SaveSettings() {
    UpdateFromControls();
    m_settings.WriteString("Out", m_strOut);
    m_settings.WriteString("In", m_strIn);
    m_settings.WriteString("Folder", m_strFolder);
    m_settings.WriteInt("Detail", m_bDetail == 0 ? 1 : 0);
    for (int i = 0; i < HISTORY_SIZE; ++i) {
        if (i < m_cbFolder->count()) {
            m_settings.WriteString(HistoryKey(i), m_cbFolder->itemText(i).toStdString());
        } else {
            m_settings.Remove(HistoryKey(i));
        }
    }
    m_settings.Sync();
}

void CPanelflashDlg::ReadIniFile() {
    if (!m_start.commandLine.empty()) {
        const std::filesystem::path programFolder =
            vx9kr::PathFromText(m_start.programPath).parent_path();
        m_strIniFile = vx9kr::PathToText(vx9kr::MakeAbsolute(m_start.commandLine, programFolder));
    } else {
        m_strIniFile = vx9kr::RemoveExtension(m_start.programPath) + ".ini";
    }
    const std::filesystem::path ini = vx9kr::PathFromText(m_strIniFile);
    m_updater.m_nExeMode =
        static_cast<std::int16_t>(vx9kr::ReadIniInt(ini, m_strSection, "ExeMode", 0));
    if (vx9kr::ReadIniInt(ini, m_strSection, "AD3Erase", 0) != 1)
        m_btEraseAd->hide();
}

void CPanelflashDlg::AddFolderToHistory(const std::string& folder) {
    OnWindowThread([&] {
        const QString text = QString::fromStdString(folder);
        if (const int same = vx9kr::FindSame(*m_cbFolder, text); same >= 0) {
            m_cbFolder->removeItem(same);
        }
        m_cbFolder->insertItem(0, text);
        m_cbFolder->setCurrentIndex(0);
    });
}
