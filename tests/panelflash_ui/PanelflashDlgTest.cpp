#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <atomic>
#include <fstream>
#include <memory>

#include "panelflash/ui/PanelflashDlg.h"
#include "panelflash/ui/PanelflashTemplate.h"
#include "platform/DialogTemplate.h"
#include "platform/VirtualClock.h"
#include "platform/midi/SimulatorService.h"
#include "sim/lcd/LcdCpuModel.h"
#include "tests/panelflash_ui/DialogDriver.h"
#include "tests/support/ListedPortsService.h"

using vx9kr::ControlAs;
using vx9kr::midi::MidiService;
using vx9kr::midi::PortInfo;
using vx9kr::midi::SimulatorService;
using Bytes = std::vector<std::uint8_t>;

namespace {

const QString kSep = QString(QChar(std::filesystem::path::preferred_separator));

void WriteFile(const QString& path, const Bytes& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes Firmware(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
    return bytes;
}

}  // namespace

class PanelflashDlgTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_config;
    QTemporaryDir m_work;
    int m_nextApp = 0;
    std::string m_app;
    std::unique_ptr<vx9kr::SettingsStore> m_settings;
    vx9kr::VirtualClock m_clock;
    std::shared_ptr<vx9kr::sim::LcdCpuModel> m_device;
    std::unique_ptr<MidiService> m_service;
    std::unique_ptr<CPanelflashDlg> m_dialog;
    BoxAnswerer m_boxes;

    // A fresh store of our own for each test; values put into it before the dialog opens.
    void NewStore(const std::map<std::string, QVariant>& values = {}) {
        m_app = "PanelflashTest" + std::to_string(m_nextApp++);
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "VELDRA VX9KR",
                      QString::fromStdString(m_app));
        raw.clear();
        for (const auto& [key, value] : values)
            raw.setValue("Setup/" + QString::fromStdString(key), value);
        raw.sync();
        m_settings = std::make_unique<vx9kr::SettingsStore>(m_app);
    }
    QVariant Stored(const char* key) {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "VELDRA VX9KR",
                      QString::fromStdString(m_app));
        return raw.value(QString("Setup/") + key);
    }
    void Simulated(vx9kr::sim::LcdCpuBehaviour behaviour = {}) {
        m_device = std::make_shared<vx9kr::sim::LcdCpuModel>(std::move(behaviour));
        m_service = std::make_unique<SimulatorService>(m_clock, m_device,
                                                       vx9kr::midi::WireSpeed::MidiCable());
    }
    // The program as if it lay in the work folder; `ini` is written beside it.
    void Open(const std::string& ini = "", const std::string& commandLine = "") {
        const QString program = m_work.filePath("Panelflash");
        QFile::remove(m_work.filePath("Panelflash.ini"));
        if (!ini.empty())
            std::ofstream(m_work.filePath("Panelflash.ini").toStdString()) << ini;
        m_dialog = std::make_unique<CPanelflashDlg>(
            *m_service, m_clock, *m_settings, PanelflashStart{commandLine, program.toStdString()});
    }
    void Close() {
        m_dialog.reset();
        m_settings->Sync();
    }
    template <typename T>
    T* Control(int id) {
        return ControlAs<T>(*m_dialog, id);
    }
    QString LogText() { return Control<QPlainTextEdit>(IDC_LOG)->toPlainText(); }
    QString WriteUpdateFolder(const QString& name) {
        QDir(m_work.path()).mkpath(name);
        const QString folder = m_work.filePath(name);
        for (const auto& [file, bytes] :
             std::vector<std::pair<QString, Bytes>>{{"qrx41m.bin", Firmware(3600, 1)},
                                                    {"kt4w0200.bin", Firmware(100, 2)},
                                                    {"pix70001.bin", Firmware(1, 3)},
                                                    {"fxt60001.bin", Firmware(7000, 4)},
                                                    {"hq200001.pgm", Firmware(50, 5)}}) {
            WriteFile(folder + "/" + file, bytes);
        }
        return folder;
    }
    void SelectPorts() {
        Control<QComboBox>(IDC_IN_PORT)->setCurrentIndex(0);
        Control<QComboBox>(IDC_OUT_PORT)->setCurrentIndex(0);
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void init() {
        NewStore();
        Simulated();
    }

    void cleanup() {
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog || !m_dialog->IsRunning(), 20000);
        QCOMPARE(m_boxes.Pending(), 0);
        m_dialog.reset();
        m_service.reset();
    }

    void firstStartShowsNothingChosen() {
        Open();
        QCOMPARE(Control<QComboBox>(IDC_IN_PORT)->count(), 1);
        QCOMPARE(Control<QComboBox>(IDC_IN_PORT)->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>(IDC_OUT_PORT)->currentIndex(), -1);
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->count(), 0);
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->currentText(), QString());
        QCOMPARE(Control<QPushButton>(IDC_DETAIL)->text(), QString("&Detail >>"));
        QVERIFY(m_dialog->height() <= Control<QPlainTextEdit>(IDC_LOG)->y());
        QVERIFY(Control<QPushButton>(IDC_ERASE_AD)->isHidden());
        QCOMPARE(m_dialog->windowTitle(), QString("Panelflash"));
    }

    void history_data() {
        QTest::addColumn<QStringList>("stored");  // FOLDER00, FOLDER01, ... ("" leaves a gap)
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("gap ends the history") << QStringList{"A:\\1\\", "B:\\2\\", "", "D:\\4\\"}
                                              << QStringList{"A:\\1\\", "B:\\2\\"};
        QTest::newRow("same folder in other case")
            << QStringList{"C:\\FW\\", "c:\\fw\\"} << QStringList{"C:\\FW\\"};
        QTest::newRow("a folder inside another is another")
            << QStringList{"C:\\FW\\V2\\", "C:\\FW\\"} << QStringList{"C:\\FW\\", "C:\\FW\\V2\\"};
        QTest::newRow("sorted after a restart")
            << QStringList{"D:\\b\\", "C:\\a\\"} << QStringList{"C:\\a\\", "D:\\b\\"};
    }

    void history() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, listed);
        std::map<std::string, QVariant> values;
        for (int i = 0; i < stored.size(); ++i) {
            if (!stored[i].isEmpty())
                values[QString("FOLDER%1").arg(i, 2, 10, QChar('0')).toStdString()] = stored[i];
        }
        NewStore(values);
        Open();
        QStringList shown;
        auto* folders = Control<QComboBox>(IDC_FOLDER);
        for (int i = 0; i < folders->count(); ++i)
            shown << folders->itemText(i);
        QCOMPARE(shown, listed);
        Close();
        // Saved in list order; whatever lies beyond the list is gone.
        for (int i = 0; i < 6; ++i) {
            const QVariant value = Stored(QString("FOLDER%1").arg(i, 2, 10, QChar('0')).toUtf8());
            if (i < listed.size()) {
                QCOMPARE(value.toString(), listed[i]);
            } else {
                QVERIFY2(!value.isValid(), qPrintable(value.toString()));
            }
        }
    }

    void historyKeepsTheTop99() {
        Open();
        for (int i = 0; i < 120; ++i)
            m_dialog->AddFolderToHistory("F:\\" + std::to_string(i) + "\\");
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->currentText(), QString("F:\\119\\"));
        Close();
        QCOMPARE(Stored("FOLDER00").toString(), QString("F:\\119\\"));
        QCOMPARE(Stored("FOLDER98").toString(), QString("F:\\21\\"));
        QVERIFY(!Stored("FOLDER99").isValid());
    }

    void detail_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("logShown");
        QTest::addColumn<int>("saved");
        QTest::newRow("0 shows the log") << 0 << true << 0;
        QTest::newRow("1 hides it") << 1 << false << 1;
        QTest::newRow("5 is as 1") << 5 << false << 1;
    }

    void detail() {
        QFETCH(int, stored);
        QFETCH(bool, logShown);
        QFETCH(int, saved);
        NewStore({{"Detail", stored}});
        Open();
        const int logBottom = Control<QPlainTextEdit>(IDC_LOG)->geometry().bottom();
        QCOMPARE(m_dialog->height() > logBottom, logShown);
        QCOMPARE(Control<QPushButton>(IDC_DETAIL)->text(),
                 QString(logShown ? "&Detail <<" : "&Detail >>"));
        Close();
        QCOMPARE(Stored("Detail").toInt(), saved);
    }

    void detailGeometryBothWays() {
        NewStore({{"Detail", 0}});
        Open();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        const QRect log(Control<QPlainTextEdit>(IDC_LOG)->mapToGlobal(QPoint(0, 0)),
                        Control<QPlainTextEdit>(IDC_LOG)->size());
        const auto windowBottom = [&] {
            const QRect frame = m_dialog->frameGeometry();
            return frame.top() + frame.height();
        };
        QCOMPARE(windowBottom(),
                 log.top() + log.height() + (log.left() - m_dialog->frameGeometry().left()));
        m_dialog->OnDetail();
        QCOMPARE(windowBottom(), log.top());
        QCOMPARE(Control<QPushButton>(IDC_DETAIL)->text(), QString("&Detail >>"));
        m_dialog->OnDetail();
        QCOMPARE(windowBottom(),
                 log.top() + log.height() + (log.left() - m_dialog->frameGeometry().left()));
        QCOMPARE(Control<QPushButton>(IDC_DETAIL)->text(), QString("&Detail <<"));
    }

    void iniFile_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("eraseShown");
        QTest::addColumn<int>("mode");
        QTest::newRow("AD3Erase 1") << "[Setup]\nAD3Erase=1\n" << true << 0;
        QTest::newRow("AD3Erase 2") << "[Setup]\nAD3Erase=2\nExeMode=2\n" << false << 2;
        QTest::newRow("no key") << "[Setup]\nExeMode=1\n" << false << 1;
        QTest::newRow("no file") << "" << false << 0;
    }

    void iniFile() {
        QFETCH(QString, ini);
        QFETCH(bool, eraseShown);
        QFETCH(int, mode);
        Open(ini.toStdString());
        QCOMPARE(!Control<QPushButton>(IDC_ERASE_AD)->isHidden(), eraseShown);
        QCOMPARE(int{m_dialog->ExeMode()}, mode);
        QCOMPARE(QString::fromStdString(m_dialog->IniFile()), m_work.filePath("Panelflash.ini"));
    }

    void iniFileFromTheCommandLine() {
        QTemporaryDir current;
        std::ofstream(current.filePath("other.ini").toStdString()) << "[setup]\nad3erase = 1\n";
        const QString before = QDir::currentPath();
        QDir::setCurrent(current.path());
        Open("[Setup]\nAD3Erase=0\n", "other.ini");
        QDir::setCurrent(before);
        QCOMPARE(QString::fromStdString(m_dialog->IniFile()), current.filePath("other.ini"));
        QVERIFY(!Control<QPushButton>(IDC_ERASE_AD)->isHidden());
    }

    void savedPortIsFoundByItsBeginning_data() {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("selected");
        QTest::newRow("equal name first") << QStringList{"USB MIDI 2", "USB MIDI"} << "USB MIDI"
                                          << "USB MIDI";
        QTest::newRow("longer name") << QStringList{"USB MIDI 2"} << "usb midi"
                                     << "USB MIDI 2";
        QTest::newRow("empty selects nothing") << QStringList{"USB MIDI"} << ""
                                               << "";
        QTest::newRow("twins: the first") << QStringList{"Twin", "Twin"} << "Twin"
                                          << "Twin";
    }

    void savedPortIsFoundByItsBeginning() {
        QFETCH(QStringList, ports);
        QFETCH(QString, saved);
        QFETCH(QString, selected);
        std::vector<std::string> names;
        for (const QString& port : ports)
            names.push_back(port.toStdString());
        m_service = std::make_unique<vx9kr::test::ListedPortsService>(names, names);
        NewStore({{"In", saved}, {"Out", saved}});
        Open();
        auto* in = Control<QComboBox>(IDC_IN_PORT);
        QCOMPARE(in->count(), ports.size());
        QCOMPARE(in->currentIndex() >= 0 ? in->currentText() : QString(), selected);
        if (!selected.isEmpty())
            QCOMPARE(in->currentIndex(), in->findText(selected));
        Close();
        QCOMPARE(Stored("In").toString(), selected);
    }

    void noPortsStillLetsStartBeTried() {
        m_service = std::make_unique<vx9kr::test::ListedPortsService>(std::vector<std::string>{},
                                                                      std::vector<std::string>{});
        Open();
        QCOMPARE(Control<QComboBox>(IDC_IN_PORT)->count(), 0);
        QVERIFY(Control<QPushButton>(IDOK_START)->isEnabled());
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnOK();
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("MIDI port open error."));
        QCOMPARE(m_dialog->StatusColours(), STATUS_ERROR);
        QVERIFY(!m_dialog->IsRunning());
        QVERIFY(Control<QPushButton>(IDOK_START)->isEnabled());
    }

    void logIsTrimmedByWholeLinesFromTheTop() {
        Open();
        const QString line(100, 'x');
        std::string text;
        for (int i = 0; i < 294; ++i)
            text += QString("%1").arg(i, 3, 10, QChar('0')).toStdString() +
                    line.mid(3).toStdString() + "\n";
        text += std::string(13, 'y');  // 294 lines of 102 and 13 more: 30001 characters
        m_dialog->AppendLog(text);
        m_dialog->AppendLog("z");
        auto* log = Control<QPlainTextEdit>(IDC_LOG);
        // 98 lines make 9996 characters, 99 lines 10098: the first 99 go.
        QVERIFY(log->document()->firstBlock().text().startsWith("099"));
        QCOMPARE(log->document()->blockCount(), 294 - 99 + 1);
        QVERIFY(log->document()->lastBlock().text().endsWith("yz"));
    }

    void logLinesAndStatusLineBreaks() {
        Open();
        m_dialog->ClearReport();
        m_dialog->AppendLog("two\nwords");
        m_dialog->SetStatus("Status check.", false, STATUS_NORMAL.text, STATUS_NORMAL.background);
        m_dialog->SetStatus("Done.", true, STATUS_NORMAL.text, STATUS_NORMAL.background);
        QCOMPARE(LogText(), QString("two\nwordsStatus check.Done.\n"));
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("Done."));
    }

    void statusColoursAndTheirBrush() {
        Open();
        const int made = m_dialog->BrushCreations();
        m_dialog->SetStatus("a", true, STATUS_ERROR.text, STATUS_ERROR.background);
        m_dialog->SetStatus("b", true, STATUS_ERROR.text, STATUS_ERROR.background);
        QCOMPARE(m_dialog->BrushCreations(), made + 1);
        QCOMPARE(m_dialog->StatusColours(), STATUS_ERROR);
        const QPalette palette = Control<QLabel>(IDC_STATUS)->palette();
        QCOMPARE(palette.color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(palette.color(QPalette::WindowText), QColor(255, 255, 0));
        m_dialog->SetStatus("c", true, STATUS_SUCCESS.text, STATUS_SUCCESS.background);
        QCOMPARE(m_dialog->BrushCreations(), made + 2);
        m_dialog->SetStatusText("d");
        QCOMPARE(m_dialog->StatusColours(), STATUS_SUCCESS);
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("d"));
    }

    void cancelInTheQuestionChangesNothing() {
        Open();
        SelectPorts();
        m_dialog->AppendLog("kept\n");
        m_boxes.Expect(QMessageBox::Cancel);
        m_dialog->OnOK();
        QCOMPARE(m_boxes.Boxes().back().text, QString("Start LCD firmware update?"));
        QCOMPARE(m_boxes.Boxes().back().title, QString("Update?"));
        QCOMPARE(m_boxes.Boxes().back().icon, QMessageBox::Question);
        QCOMPARE(m_boxes.Boxes().back().defaultButton, QMessageBox::Cancel);
        QCOMPARE(LogText(), QString("kept\n"));
        QVERIFY(!m_dialog->IsRunning());
        QVERIFY(m_device->Requests().empty());
    }

    void updateRunsToComplete() {
        Open();
        SelectPorts();
        const QString folder = WriteUpdateFolder("update");
        Control<QComboBox>(IDC_FOLDER)->setEditText(folder);
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnOK();
        QVERIFY(m_dialog->IsRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->IsRunning(), 20000);
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("Complete!"));
        QCOMPARE(m_dialog->StatusColours(), STATUS_SUCCESS);
        QCOMPARE(Control<QProgressBar>(IDC_PROGRESS)->value(), 100);
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->itemText(0), folder + kSep);
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->currentText(), folder + kSep);
        QVERIFY(LogText().startsWith("Start.\nOUT : VX9KR Simulator\nIN : VX9KR Simulator\n"));
        QVERIFY(LogText().endsWith("Update mode exit.\nComplete!\n"));
        QVERIFY(Control<QPushButton>(IDOK_START)->isEnabled());
        QCOMPARE(m_device->Files().size(), 5u);
        QCOMPARE(m_device->Files().at("fxt60001.bin"), Firmware(7000, 4));
        QVERIFY(Control<QLabel>(IDC_ANIMATION)->pixmap().isNull());
    }

    void duringARunInputsAreOffAndCloseIsRefused() {
        // No AD firmware: the run stops at its warning, which the test answers when it has looked.
        Open("[Setup]\nAD3Erase=1\n");
        SelectPorts();
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnEraseAd();
        QCOMPARE(m_boxes.Boxes().back().title, QString("Erase?"));
        QCOMPARE(m_boxes.Boxes().back().text,
                 QString::fromUtf8("Erase AD Firmware.\nAre you sure\xEF\xBC\x9F"));
        QVERIFY(m_dialog->IsRunning());
        for (int id : {IDOK_START, IDCANCEL_CLOSE, IDC_BROWSE, IDC_FOLDER, IDC_OUT_PORT,
                       IDC_IN_PORT, IDC_ERASE_AD}) {
            QVERIFY2(!vx9kr::ControlById(*m_dialog, id)->isEnabled(),
                     qPrintable(QString::number(id)));
        }
        QVERIFY(Control<QPushButton>(IDC_DETAIL)->isEnabled());
        m_dialog->show();
        m_dialog->reject();
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
        m_dialog->close();
        QVERIFY(m_dialog->isVisible());
        m_dialog->OnDetail();
        m_boxes.Expect(QMessageBox::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->IsRunning(), 20000);
        QCOMPARE(m_boxes.Boxes().back().title, QString("Not found"));
        QCOMPARE(m_boxes.Boxes().back().icon, QMessageBox::Warning);
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("AD Firmware not found."));
        for (int id : {IDOK_START, IDCANCEL_CLOSE, IDC_BROWSE, IDC_FOLDER, IDC_OUT_PORT,
                       IDC_IN_PORT, IDC_ERASE_AD}) {
            QVERIFY(vx9kr::ControlById(*m_dialog, id)->isEnabled());
        }
        m_dialog->reject();
        QVERIFY(!m_dialog->isVisible());
    }

    void adEraseRunsToComplete() {
        vx9kr::sim::LcdCpuBehaviour behaviour;
        behaviour.initialFiles = {{"hq200100.pgm", Firmware(10, 1)}};
        Simulated(behaviour);
        Open("[Setup]\nAD3Erase=1\n");
        SelectPorts();
        Control<QComboBox>(IDC_FOLDER)->setEditText("E:\\fw\\");
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnEraseAd();
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->IsRunning(), 20000);
        QCOMPARE(LogText(), QString("Start.\nOUT : VX9KR Simulator\nIN : VX9KR Simulator\n"
                                    "AD Firmware found.\nAD erase start.\nOK.\nComplete!\n"));
        QCOMPARE(m_dialog->StatusColours(), STATUS_SUCCESS);
        QCOMPARE(Control<QProgressBar>(IDC_PROGRESS)->value(), 100);
        QCOMPARE(Control<QComboBox>(IDC_FOLDER)->itemText(0), QString("E:\\fw\\"));
        QVERIFY(m_device->Files().empty());
    }

    void hiddenEraseButtonStaysHiddenAfterARun() {
        Open();
        SelectPorts();
        Control<QComboBox>(IDC_FOLDER)->setEditText(m_work.filePath("missing"));
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnOK();
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->IsRunning(), 20000);
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("Update file not found."));
        QVERIFY(Control<QPushButton>(IDC_ERASE_AD)->isHidden());
        QVERIFY(Control<QProgressBar>(IDC_PROGRESS)->value() < 100);
    }

    void workerThatCannotStartClosesThePorts() {
        Open();
        SelectPorts();
        m_dialog->SetThreadStarter([](CPanelflashDlg::WorkerBody) -> std::unique_ptr<std::thread> {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        });
        m_boxes.Expect(QMessageBox::Ok);
        m_dialog->OnOK();
        QCOMPARE(Control<QLabel>(IDC_STATUS)->text(), QString("Worker thread start error."));
        QCOMPARE(m_dialog->StatusColours(), STATUS_ERROR);
        QVERIFY(!m_dialog->IsRunning());
        QVERIFY(Control<QPushButton>(IDOK_START)->isEnabled());
        // The ports were given back: the service lets them be opened again.
        auto input = m_service->OpenInput(0, [](const vx9kr::midi::ReceivedBuffer&) {});
        QVERIFY(input.port != nullptr);
    }

    void browsedFolderGoesToTheTopOfTheHistory() {
        NewStore({{"FOLDER00", m_work.filePath("fw") + kSep}});
        QDir(m_work.path()).mkpath("fw/V2");
        Open();
        m_boxes.ExpectFolderPicker(m_work.filePath("fw/V2"));
        m_dialog->OnBrowseFolder();
        auto* folders = Control<QComboBox>(IDC_FOLDER);
        QCOMPARE(folders->count(), 2);
        QCOMPARE(folders->itemText(0), QDir::toNativeSeparators(m_work.filePath("fw/V2")) + kSep);
        QCOMPARE(folders->currentText(), folders->itemText(0));
        QCOMPARE(folders->itemText(1), m_work.filePath("fw") + kSep);

        // Cancelled: the folder box keeps its text.
        m_boxes.ExpectFolderPicker("");
        m_dialog->OnBrowseFolder();
        QCOMPARE(folders->currentText(), folders->itemText(0));
        QCOMPARE(m_boxes.PickerStartFolder(), m_work.filePath("fw/V2"));
    }
};

QTEST_MAIN(PanelflashDlgTest)
#include "PanelflashDlgTest.moc"
