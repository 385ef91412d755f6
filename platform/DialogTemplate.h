#pragma once

#include <QDialog>
#include <QString>
#include <vector>

namespace vx9kr {

// A dialog laid out as its template describes it: each control with its id, kind, text, position
// and size in dialog units. Dialog units follow the dialog font: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height.
struct ControlTemplate {
    enum class Kind {
        Label,         // static text, left aligned
        StatusText,    // static text, centred both ways, sunken edge
        DropDownList,  // combo box, choose from the list only
        DropDown,      // combo box with an editable field
        PushButton,
        DefaultButton,  // the push button that Enter presses
        ProgressBar,
        Animation,  // shows one picture at a time
        LogEdit,    // read-only multi-line text, no wrapping, both scroll bars as needed
    };
    int id;  // 0 for controls that code never reaches (labels)
    Kind kind;
    const char* text;
    int x, y, width, height;
};

struct DialogTemplate {
    const char* caption;
    int width, height;                      // client area, in dialog units
    std::vector<ControlTemplate> controls;  // in tab order
};

// The id-carrying property of every control that was made from a template.
inline constexpr const char* kControlIdProperty = "controlId";

// Makes the controls as children of `dialog` in tab order, gives each its id, and sizes the
// dialog's client area. A label whose text has a mnemonic gets the next control as its buddy.
void BuildFromTemplate(QDialog& dialog, const DialogTemplate& layout);

// Dialog units to pixels for the dialog's font.
QRect DialogUnitsToPixels(const QWidget& dialog, int x, int y, int width, int height);

// The control with this id among the dialog's children, or null.
QWidget* ControlById(const QWidget& dialog, int id);

template <typename Control>
Control* ControlAs(const QWidget& dialog, int id) {
    return qobject_cast<Control*>(ControlById(dialog, id));
}

}  // namespace vx9kr
