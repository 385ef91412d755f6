#include "panelflash/ui/FolderBrowser.h"

#include <QDir>
#include <QFileDialog>

#include "platform/Paths.h"

bool CFolderBrowser::Browse(QWidget* parent, const char* title, std::string& folder) {
    // The picker takes a folder without its trailing separator, but a root keeps it.
    const std::string start = vx9kr::RemoveTrailingSeparator(folder);
    QFileDialog picker(parent, QString::fromUtf8(title),
                       QString::fromStdString(vx9kr::PathToText(vx9kr::PathFromText(start))));
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty())
        return false;
    const QString chosen = QDir::toNativeSeparators(picker.selectedFiles().front());
    if (chosen.isEmpty())
        return false;
    folder = vx9kr::AddTrailingSeparator(chosen.toStdString());
    return true;
}
