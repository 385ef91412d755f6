#include "panelflash/ui/PanelflashApp.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "panelflash/ui/PanelflashDlg.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "platform/SystemClock.h"
#include "platform/midi/MidiServiceFactory.h"
#include "sim/SimulatedVx9kr.h"

int CPanelflashApp::InitInstance(int argc, char** argv) {
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    // The settings key is named after the program file, as the guide that starts it expects.
    vx9kr::SettingsStore settings(vx9kr::RemoveExtension(vx9kr::FileNamePart(program)));

    vx9kr::SystemClock clock;
    auto choice = vx9kr::midi::CreateMidiService(vx9kr::midi::ServiceChoiceFromEnvironment(), clock,
                                                 vx9kr::sim::SimulatedVx9kr());
    if (!choice.service) {
        QMessageBox::critical(nullptr, "Panelflash", QString::fromStdString(choice.error));
        return 1;
    }

    std::string commandLine;
    for (int i = 1; i < argc; ++i)
        commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    CPanelflashDlg dialog(*choice.service, clock, settings, {commandLine, program});
    dialog.exec();
    return 0;
}
