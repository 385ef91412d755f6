#pragma once

#include <QComboBox>
#include <QString>
#include <QVariant>

namespace vx9kr {

// Combo box lists that keep themselves sorted, as a sorted list box does: an entry is added in its
// place by a comparison that ignores letter case, behind the entries that compare equal to it.
int AddSorted(QComboBox& combo, const QString& text, const QVariant& data = {});

// The first entry, in list order, whose text begins with `text` without regard to case; -1 when
// none does or `text` is empty.
int FindByBeginning(const QComboBox& combo, const QString& text);

// The first entry whose whole text equals `text` without regard to case; -1 when none.
int FindSame(const QComboBox& combo, const QString& text);

}  // namespace vx9kr
