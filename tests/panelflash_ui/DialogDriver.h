#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

// Answers the boxes that a dialog under test opens, as an operator would: each expected box is
// awaited (with a bound) and answered with the given button; what each box said is kept.
class BoxAnswerer : public QObject {
    Q_OBJECT

  public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
    };

    // The next box to appear gets `button`. Boxes are answered in the order they are expected.
    void Expect(QMessageBox::StandardButton button);
    // The next directory picker to appear chooses `folder` (empty: cancels it).
    void ExpectFolderPicker(const QString& folder);

    const std::vector<Seen>& Boxes() const { return m_seen; }
    QString PickerStartFolder() const { return m_pickerStart; }
    int Pending() const { return static_cast<int>(m_answers.size()); }

  private:
    void Poll();
    std::vector<std::function<bool()>> m_answers;
    std::vector<Seen> m_seen;
    QString m_pickerStart;
    bool m_polling = false;
};
