#pragma once

#include "platform/DialogTemplate.h"

// Control ids of Panelflash's main dialog.
enum : int {
    IDOK_START = 1,
    IDCANCEL_CLOSE = 2,
    IDC_DETAIL = 3,
    IDC_BROWSE = 4,
    IDC_ERASE_AD = 5,
    IDC_IN_PORT = 1000,
    IDC_OUT_PORT = 1001,
    IDC_FOLDER = 1002,
    IDC_PROGRESS = 1005,
    IDC_LOG = 1006,
    IDC_STATUS = 1007,
    IDC_ANIMATION = 1008,
};

// Dialog template 102.
const vx9kr::DialogTemplate& PanelflashTemplate();
