#include <QApplication>

#include "panelflash/ui/PanelflashApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CPanelflashApp panelflash;
    return panelflash.InitInstance(argc, argv);
}
