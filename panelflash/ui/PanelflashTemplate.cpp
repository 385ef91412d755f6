#include "panelflash/ui/PanelflashTemplate.h"

using Kind = vx9kr::ControlTemplate::Kind;

const vx9kr::DialogTemplate& PanelflashTemplate() {
    static const vx9kr::DialogTemplate layout{
        "Panelflash",
        312,
        273,
        {
            {0, Kind::Label, "&Input Port", 10, 10, 40, 8},
            {IDC_IN_PORT, Kind::DropDownList, "", 55, 10, 170, 85},
            {0, Kind::Label, "&Output Port", 10, 25, 40, 8},
            {IDC_OUT_PORT, Kind::DropDownList, "", 55, 25, 170, 85},
            {0, Kind::Label, "&Load File", 10, 40, 40, 8},
            {IDC_FOLDER, Kind::DropDown, "", 55, 40, 170, 85},
            {IDC_BROWSE, Kind::PushButton, "...", 230, 40, 15, 12},
            {0, Kind::Label, "Status", 10, 70, 40, 8},
            {IDC_STATUS, Kind::StatusText, "", 55, 60, 170, 12},
            {IDC_PROGRESS, Kind::ProgressBar, "", 55, 75, 170, 10},
            {IDC_ANIMATION, Kind::Animation, "", 55, 90, 170, 30},
            {IDOK_START, Kind::DefaultButton, "&Start", 250, 10, 50, 15},
            {IDCANCEL_CLOSE, Kind::PushButton, "&Close", 250, 30, 50, 15},
            {IDC_ERASE_AD, Kind::PushButton, "&Erase AD", 250, 60, 50, 15},
            {IDC_DETAIL, Kind::PushButton, "&Detail >>", 250, 100, 50, 15},
            {IDC_LOG, Kind::LogEdit, "", 10, 130, 290, 130},
        }};
    return layout;
}
