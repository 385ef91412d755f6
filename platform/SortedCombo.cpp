#include "platform/SortedCombo.h"

namespace vx9kr {

int AddSorted(QComboBox& combo, const QString& text, const QVariant& data) {
    int position = 0;
    while (position < combo.count() &&
           QString::compare(combo.itemText(position), text, Qt::CaseInsensitive) <= 0) {
        ++position;
    }
    combo.insertItem(position, text, data);
    return position;
}

int FindByBeginning(const QComboBox& combo, const QString& text) {
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < combo.count(); ++i) {
        if (combo.itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int FindSame(const QComboBox& combo, const QString& text) {
    for (int i = 0; i < combo.count(); ++i) {
        if (QString::compare(combo.itemText(i), text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

}  // namespace vx9kr
