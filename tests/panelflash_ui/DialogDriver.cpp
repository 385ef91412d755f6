#include "tests/panelflash_ui/DialogDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>

void BoxAnswerer::Expect(QMessageBox::StandardButton button) {
    m_answers.push_back([this, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return false;
        const QMessageBox::StandardButton byDefault =
            box->defaultButton() ? box->standardButton(box->defaultButton())
                                 : QMessageBox::NoButton;
        m_seen.push_back({box->windowTitle(), box->text(), box->icon(), byDefault});
        box->button(button)->click();
        return true;
    });
    Poll();
}

void BoxAnswerer::ExpectFolderPicker(const QString& folder) {
    m_answers.push_back([this, folder] {
        auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!picker || !picker->isVisible())
            return false;
        m_pickerStart = picker->directory().absolutePath();
        if (folder.isEmpty()) {
            picker->reject();
        } else {
            picker->setDirectory(folder);
            picker->selectFile(folder);
            QMetaObject::invokeMethod(picker, "accept", Qt::DirectConnection);
        }
        return true;
    });
    Poll();
}

void BoxAnswerer::Poll() {
    if (m_polling)
        return;
    m_polling = true;
    auto* timer = new QTimer(this);
    timer->setInterval(5);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        if (!m_answers.empty() && m_answers.front()())
            m_answers.erase(m_answers.begin());
        if (m_answers.empty()) {
            timer->deleteLater();
            m_polling = false;
        }
    });
    timer->start();
}
