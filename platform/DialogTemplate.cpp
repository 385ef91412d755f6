#include "platform/DialogTemplate.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace vx9kr {

namespace {

using Kind = ControlTemplate::Kind;

// The average character width as dialog units count it: the width of the alphabet in both cases
// over 52, rounded.
QSize BaseUnits(const QWidget& dialog) {
    const QFontMetrics metrics(dialog.font());
    const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int width = (metrics.horizontalAdvance(alphabet) + 26) / 52;
    return {width, metrics.height()};
}

QWidget* Make(QDialog& dialog, const ControlTemplate& control) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
        case Kind::Label:
            return new QLabel(text, &dialog);
        case Kind::StatusText: {
            auto* label = new QLabel(text, &dialog);
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setAutoFillBackground(true);
            return label;
        }
        case Kind::DropDownList: {
            auto* combo = new QComboBox(&dialog);
            combo->setMaxVisibleItems(8);
            return combo;
        }
        case Kind::DropDown: {
            auto* combo = new QComboBox(&dialog);
            combo->setEditable(true);
            // Typing a folder does not add it to the list; the history decides what is listed.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setMaxVisibleItems(8);
            return combo;
        }
        case Kind::PushButton:
        case Kind::DefaultButton: {
            auto* button = new QPushButton(text, &dialog);
            button->setAutoDefault(false);
            button->setDefault(control.kind == Kind::DefaultButton);
            return button;
        }
        case Kind::ProgressBar: {
            auto* bar = new QProgressBar(&dialog);
            bar->setTextVisible(false);
            return bar;
        }
        case Kind::Animation: {
            auto* picture = new QLabel(&dialog);
            picture->setAlignment(Qt::AlignCenter);
            return picture;
        }
        case Kind::LogEdit: {
            auto* log = new QPlainTextEdit(&dialog);
            log->setReadOnly(true);
            log->setLineWrapMode(QPlainTextEdit::NoWrap);
            log->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            return log;
        }
    }
    return nullptr;
}

}  // namespace

QRect DialogUnitsToPixels(const QWidget& dialog, int x, int y, int width, int height) {
    const QSize base = BaseUnits(dialog);
    const auto horizontal = [&](int units) { return (units * base.width() + 2) / 4; };
    const auto vertical = [&](int units) { return (units * base.height() + 4) / 8; };
    return {horizontal(x), vertical(y), horizontal(width), vertical(height)};
}

void BuildFromTemplate(QDialog& dialog, const DialogTemplate& layout) {
    dialog.setWindowTitle(QString::fromUtf8(layout.caption));
    QWidget* previous = nullptr;
    QLabel* waitingForBuddy = nullptr;
    for (const ControlTemplate& control : layout.controls) {
        QWidget* widget = Make(dialog, control);
        QRect area =
            DialogUnitsToPixels(dialog, control.x, control.y, control.width, control.height);
        // A combo box's height in a template is that of its open list; closed it is one line.
        if (control.kind == Kind::DropDownList || control.kind == Kind::DropDown) {
            area.setHeight(widget->sizeHint().height());
        }
        widget->setGeometry(area);
        widget->setProperty(kControlIdProperty, control.id);
        if (control.id != 0)
            widget->setObjectName(QString("id%1").arg(control.id));
        if (waitingForBuddy) {
            waitingForBuddy->setBuddy(widget);
            waitingForBuddy = nullptr;
        }
        if (control.kind == Kind::Label && QString::fromUtf8(control.text).contains('&')) {
            waitingForBuddy = static_cast<QLabel*>(widget);
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
    const QRect client = DialogUnitsToPixels(dialog, 0, 0, layout.width, layout.height);
    dialog.setFixedSize(client.size());
}

QWidget* ControlById(const QWidget& dialog, int id) {
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property(kControlIdProperty).toInt() == id)
            return child;
    }
    return nullptr;
}

}  // namespace vx9kr
