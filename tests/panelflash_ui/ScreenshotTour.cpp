// Takes Panelflash's pictures for a person to look at: the dialog with its log hidden and shown,
// during an update of the simulated device, and after it. Run by scripts/screenshots.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "panelflash/ui/PanelflashDlg.h"
#include "panelflash/ui/PanelflashTemplate.h"
#include "platform/SystemClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/SimulatedVx9kr.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/panelflash_ui/DialogDriver.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(name);
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    return saved;
}

// Serves events until `done` holds, for at most `limitMs`.
bool WaitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > limitMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: panelflash_screenshots LCD-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    const QString lcdFolder = QDir(argv[1]).absolutePath() + QDir::separator();
    const QString output = argv[2];
    QDir().mkpath(output);

    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    vx9kr::SettingsStore settings("Panelflash");
    settings.WriteString("In", vx9kr::midi::SimulatorService::kPortName);
    settings.WriteString("Out", vx9kr::midi::SimulatorService::kPortName);
    settings.WriteString("Folder", lcdFolder.toStdString());
    settings.WriteString("FOLDER00", lcdFolder.toStdString());

    vx9kr::SystemClock clock;
    vx9kr::sim::LcdCpuBehaviour behaviour;
    behaviour.busyAnswersPerWait = {3, 1, 1, 1, 1, 1};
    auto device = std::make_shared<vx9kr::sim::LcdCpuModel>(behaviour);
    vx9kr::midi::SimulatorService service(clock, device, vx9kr::sim::SimulatedVx9kr().speed);
    CPanelflashDlg dialog(service, clock, settings,
                          {"", QDir(config.path()).filePath("Panelflash").toStdString()});
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;

    bool saved = Save(dialog, output, "1-log-hidden.png");
    dialog.OnDetail();
    QTest::qWait(200);
    saved = Save(dialog, output, "2-log-shown.png") && saved;

    BoxAnswerer boxes;
    boxes.Expect(QMessageBox::Ok);
    dialog.OnOK();
    auto* status = vx9kr::ControlAs<QLabel>(dialog, IDC_STATUS);
    if (!WaitFor(
            [&] { return status->text().contains("pi57") && status->text().contains("Total 5"); },
            120000)) {
        return 1;
    }
    saved = Save(dialog, output, "3-running.png") && saved;

    if (!WaitFor([&] { return !dialog.IsRunning(); }, 180000))
        return 1;
    saved = Save(dialog, output, "4-complete.png") && saved;
    return saved ? 0 : 1;
}
