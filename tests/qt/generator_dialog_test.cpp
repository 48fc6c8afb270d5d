// Drives the real Qt dialog: its controls, keyboard behaviour, and whole Start clicks over
// temporary simulator trees on the host's file system.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

#include "cirrowisp_version.h"
#include "patcher/aircraft_scan.h"
#include "patcher/restore_scan.h"
#include "patcher/simulator_location.h"
#include "platform/host_file_system.h"
#include "tests/support/disk_tree.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/samples.h"
#include "ui/common/generator_form.h"
#include "ui/qt/generator_dialog.h"

using cirrowisp::GeneratorDialog;
using cirrowisp::PatchOptions;
using cirrowisp::ScanTotals;

namespace {

QByteArray sample(const char* title, int engineType) {
    return QByteArray::fromStdString(cirrowisp::sampleAircraft(title, engineType));
}
const QByteArray kJetCfg = sample("Test Jet", 1);
const QByteArray kPistonCfg = sample("Test Piston", 0);
const QByteArray kHeloCfg = sample("Test Helicopter", 3);
const QByteArray kTurbopropCfg = sample("Test Turboprop", 5);

void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

// Every entry below `root` with its bytes, so a test can tell that nothing was touched.
cirrowisp::TreeFiles snapshot(const QString& root) {
    return cirrowisp::snapshotTree(root.toStdString(), cirrowisp::kFilesAndFolders);
}

QString summaryOf(const ScanTotals& totals) {
    return QString::fromLocal8Bit(cirrowisp::summaryText(totals).c_str());
}

// What a message box showed, and the state of the program while it was up.
struct SeenBox {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool noIsDefault = false;
    bool waitCursorGone = false;
    bool dialogVisible = false;
};

// Runs `action`, which may open modal windows; `handle` sees each one and must close it.
// Returns how many appeared.
int whileModal(const std::function<void()>& action, const std::function<void(QWidget*)>& handle) {
    int count = 0;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        ++count;
        handle(modal);
    });
    poll.start();
    action();
    poll.stop();
    return count;
}

// Runs `action` and answers each message box it opens with its OK button or, for a question,
// with `choice`; any other window is closed unseen, so a count of the boxes tells it apart.
QList<SeenBox> answerBoxes(const QWidget& dialog, const std::function<void()>& action,
                           QMessageBox::StandardButton choice = QMessageBox::NoButton) {
    QList<SeenBox> seen;
    whileModal(action, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            modal->close();
            return;
        }
        seen.append({true, box->windowTitle(), box->text(), box->icon(),
                     static_cast<int>(box->buttons().size()),
                     box->defaultButton() == box->button(QMessageBox::No),
                     QApplication::overrideCursor() == nullptr, dialog.isVisible()});
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (button == nullptr)
            button = box->button(choice);
        if (button != nullptr) {
            button->click();
        } else {
            box->reject();
        }
    });
    return seen;
}

// The last message box `action` opens, answered with its OK button.
SeenBox acceptMessageBox(const QWidget& dialog, const std::function<void()>& action) {
    const QList<SeenBox> seen = answerBoxes(dialog, action);
    return seen.isEmpty() ? SeenBox{} : seen.back();
}

// Types `text` key by key, as a keyboard (or an input method, for characters without a key of
// their own) would.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const char16_t code = c.toUpper().unicode();
        const auto key = code < 0x80 ? Qt::Key(code) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

template <typename T>
T* child(const QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qWarning("no control named %s", name);
    return widget;
}

// Check boxes and the record fields they are bound to.
struct Binding {
    const char* control;
    std::int32_t PatchOptions::*field;
};
const Binding kBindings[] = {
    {"pistonBox", &PatchOptions::enginePiston},
    {"jetBox", &PatchOptions::engineJet},
    {"noneBox", &PatchOptions::engineNone},
    {"heloTurbineBox", &PatchOptions::engineHeloTurbine},
    {"rocketBox", &PatchOptions::engineRocket},
    {"turbopropBox", &PatchOptions::engineTurboprop},
    {"flyableBox", &PatchOptions::includeFlyable},
    {"simObjectPathsBox", &PatchOptions::includeSimObjectPaths},
};

}  // namespace

class GeneratorDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir noPrefix_;
    std::unique_ptr<cirrowisp::FileSystem> fileSystem_;

    std::unique_ptr<GeneratorDialog> openDialog() {
        auto dialog = std::make_unique<GeneratorDialog>(*fileSystem_);
        dialog->show();
        // Without a window manager (a bare X server) nothing activates a new window.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("dialog never became active");
        return dialog;
    }

    static void setPath(GeneratorDialog& dialog, const QString& path) {
        child<QLineEdit>(dialog, "pathEdit")->setText(QDir::toNativeSeparators(path));
    }

    static SeenBox clickStart(GeneratorDialog& dialog) {
        return acceptMessageBox(dialog, [&] {
            QTest::mouseClick(child<QPushButton>(dialog, "startButton"), Qt::LeftButton);
        });
    }

private slots:
    void initTestCase() {
        // The offscreen platform warns about every fixed-size window; nothing to act on.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                if (message.contains(QStringLiteral("propagateSizeHints")))
                    return;
                previous(type, context, message);
            });
        // An empty Wine prefix: the lookup finds no simulator, whatever this machine holds.
        QVERIFY(noPrefix_.isValid());
        qputenv("WINEPREFIX", QFile::encodeName(noPrefix_.path()));
        qputenv("HOME", QFile::encodeName(noPrefix_.path()));  // and no Steam
        cirrowisp::SimulatorPathLookup::reset();
        fileSystem_ = cirrowisp::makeHostFileSystem();
        QVERIFY(fileSystem_ != nullptr);
        // Qt's own folder chooser, which the test can drive, whatever the desktop offers.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }

    void controlsAndCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        auto row = [](const char* name, const char* kind, const QString& caption, bool checked) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << caption
                                << checked;
        };
        row("cancelButton", "QPushButton", QStringLiteral("Cancel"), false);
        row("startButton", "QPushButton", QStringLiteral("Start"), false);
        row("engineTypeGroup", "QGroupBox", QStringLiteral("Engine Type"), false);
        row("pistonBox", "QCheckBox", QStringLiteral("Piston"), false);
        row("jetBox", "QCheckBox", QStringLiteral("Jet"), true);
        row("noneBox", "QCheckBox", QStringLiteral("None"), false);
        row("heloTurbineBox", "QCheckBox", QStringLiteral("Helo-Turbine"), false);
        row("rocketBox", "QCheckBox", QStringLiteral("Rocket"), false);
        row("turbopropBox", "QCheckBox", QStringLiteral("Turboprop"), true);
        row("flyableBox", "QCheckBox", QStringLiteral("Flyable planes "), false);
        row("simObjectPathsBox", "QCheckBox", QStringLiteral("Aircraft folders from fsx.cfg"),
            false);
        row("browseButton", "QPushButton", QStringLiteral("Browse..."), false);
        row("temperatureEdit", "cirrowisp::TemperatureEdit", QStringLiteral("-27"), false);
        row("effectEdit", "QLineEdit", QStringLiteral("fx_Cirrowisp"), false);
    }

    void controlsAndCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        auto dialog = openDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("FSX-Cirrowisp generator"));

        auto* widget = dialog->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
        QVERIFY(widget->isVisible());
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->isChecked(), checked);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            QCOMPARE(group->title(), caption);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QCOMPARE(edit->text(), caption);
        } else {
            QFAIL("unexpected kind of control");
        }
    }

    void pathFieldWithoutSimulator() {
        auto dialog = openDialog();
        QCOMPARE(child<QLineEdit>(*dialog, "pathEdit")->text(), QStringLiteral(".\\Aircraft\\"));
        QCOMPARE(dialog->options().simulatorPath, std::string(".\\Aircraft\\"));

        // The captions of the fields, as plain texts; the window keeps its size and its icon.
        QStringList labels;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
        labels.sort();
        QCOMPARE(labels,
                 QStringList({QStringLiteral("FSX Path"), QStringLiteral("Name of effect file"),
                              QStringLiteral("Simulator"),
                              QStringLiteral("max Contrail Temperature (°C)")}));
        QVERIFY(!child<QComboBox>(*dialog, "simulatorCombo")->isEnabled());
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        const QList<QSize> sizes = dialog->windowIcon().availableSizes();
        QVERIFY2(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)),
                 "the icon has a 32 x 32 and a 16 x 16 image");
    }

    void pathFieldFromWinePrefix() {
        // A 64-bit prefix whose registry records the simulator in C:\FSX\.
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("drive_c/FSX")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("dosdevices")));
        QVERIFY(QFile::link(QStringLiteral("../drive_c"), prefix.path() + "/dosdevices/c:"));
        writeFile(prefix.path() + "/system.reg",
                  "WINE REGISTRY Version 2\n#arch=win64\n\n"
                  "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\"
                  "Flight Simulator\\\\10.0] 1700000000\n"
                  "\"SetupPath\"=\"C:\\\\FSX\\\\\"\n");
        qputenv("WINEPREFIX", QFile::encodeName(prefix.path()));
        auto dialog = openDialog();
        qputenv("WINEPREFIX", QFile::encodeName(noPrefix_.path()));
        cirrowisp::SimulatorPathLookup::reset();

        QCOMPARE(child<QLineEdit>(*dialog, "pathEdit")->text(), prefix.path() + "/drive_c/FSX/");
    }

    // The sample Wine prefix holds Prepar3D v4: the box offers it, the path field starts with
    // it, and choosing it again after typing another folder puts it back.
    void simulatorBox() {
        const QString prefix = QStringLiteral(CIRROWISP_EXAMPLES "/wine-prefix");
        qputenv("WINEPREFIX", QFile::encodeName(prefix));
        auto dialog = openDialog();
        qputenv("WINEPREFIX", QFile::encodeName(noPrefix_.path()));
        cirrowisp::SimulatorPathLookup::reset();

        const QString folder = prefix + "/drive_c/Program Files/Lockheed Martin/Prepar3D v4";
        auto* combo = child<QComboBox>(*dialog, "simulatorCombo");
        auto* path = child<QLineEdit>(*dialog, "pathEdit");
        QVERIFY(combo->isEnabled());
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0), "Prepar3D v4 (" + folder + ")");
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(path->text(), folder);

        path->setText(QStringLiteral("/elsewhere"));
        emit combo->activated(0);  // what a pick from the open list sends
        QCOMPARE(path->text(), folder);
        // In the tab order between the temperature and the path field.
        QCOMPARE(combo->nextInFocusChain(), path);
    }

    void tabOrderAndFocus() {
        auto dialog = openDialog();
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        QCOMPARE(focus->objectName(), QStringLiteral("cancelButton"));

        const QStringList expected = {
            QStringLiteral("startButton"),    QStringLiteral("pistonBox"),
            QStringLiteral("jetBox"),         QStringLiteral("noneBox"),
            QStringLiteral("heloTurbineBox"), QStringLiteral("rocketBox"),
            QStringLiteral("turbopropBox"),   QStringLiteral("temperatureEdit"),
            QStringLiteral("pathEdit"),       QStringLiteral("browseButton"),
            QStringLiteral("flyableBox"),     QStringLiteral("simObjectPathsBox"),
            QStringLiteral("effectEdit"),     QStringLiteral("cancelButton")};
        QStringList seen;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
            // A focused push button answers Enter itself, as on Windows; everywhere else
            // Start is the default button.
            if (qobject_cast<QPushButton*>(QApplication::focusWidget()) == nullptr) {
                QVERIFY2(child<QPushButton>(*dialog, "startButton")->isDefault(),
                         qPrintable(seen.back()));
            }
        }
        QCOMPARE(seen, expected);
    }

    void enterStartsRun_data() {
        QTest::addColumn<QString>("focus");
        QTest::newRow("check box") << QStringLiteral("jetBox");
        QTest::newRow("temperature field") << QStringLiteral("temperatureEdit");
        QTest::newRow("path field") << QStringLiteral("pathEdit");
        QTest::newRow("effect field") << QStringLiteral("effectEdit");
    }

    void enterStartsRun() {
        QFETCH(QString, focus);
        QTemporaryDir sim;
        auto dialog = openDialog();
        setPath(*dialog, sim.path());
        QWidget* target = dialog->findChild<QWidget*>(focus);
        target->setFocus();
        const SeenBox box =
            acceptMessageBox(*dialog, [&] { QTest::keyClick(target, Qt::Key_Return); });
        QVERIFY2(box.shown, "Enter ran Start, which ends with the summary");
        QCOMPARE(box.text, summaryOf({}));
    }

    void escapeCancels() {
        auto dialog = openDialog();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }

    void typingIntoTemperature_data() {
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<int>("backspaces");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits replaced, minus kept") << false << 2 << "40"
                                                     << "-40";
        QTest::newRow("letters and signs refused") << false << 0 << "a-+. ,x"
                                                   << "-27";
        QTest::newRow("digits among refused keys") << true << 0 << "1x2"
                                                   << "12";
        QTest::newRow("a minus cannot be typed") << true << 0 << "-5"
                                                 << "5";
        QTest::newRow("other scripts' digits refused") << false << 0 << "\u0664"
                                                       << "-27";
    }

    void typingIntoTemperature() {
        QFETCH(bool, selectAll);
        QFETCH(int, backspaces);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        auto dialog = openDialog();
        auto* edit = child<QLineEdit>(*dialog, "temperatureEdit");
        edit->setFocus();
        if (selectAll) {
            edit->selectAll();
        } else {
            edit->end(false);
        }
        for (int i = 0; i < backspaces; ++i) QTest::keyClick(edit, Qt::Key_Backspace);
        typeText(edit, typed);
        QCOMPARE(edit->text(), expected);
        // Refused keys stay in the field: the dialog does not see them as its own.
        QVERIFY(dialog->isVisible());
        QCOMPARE(QApplication::focusWidget(), edit);
    }

    void refusedTemperature_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("above the range") << "5";
        QTest::newRow("below the range") << "-51";
        QTest::newRow("empty") << "";
        QTest::newRow("not a number") << "-";
        QTest::newRow("beyond 32 bits") << "99999999999";
    }

    void refusedTemperature() {
        QFETCH(QString, text);
        QTemporaryDir sim;
        writeFile(sim.path() + "/SimObjects/Airplanes/Jet1/aircraft.cfg", kJetCfg);
        const auto before = snapshot(sim.path());

        auto dialog = openDialog();
        setPath(*dialog, sim.path());
        // Pasted text reaches the field unfiltered, as on Windows; the exchange catches it.
        child<QLineEdit>(*dialog, "temperatureEdit")->setText(text);
        // A later field of the exchange must stay as it was in the record.
        child<QCheckBox>(*dialog, "jetBox")->setChecked(false);

        const SeenBox box = clickStart(*dialog);
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Cirrowisp"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(box.waitCursorGone);
        cirrowisp::FormValues form;
        form.temperatureText = text.toStdString();
        PatchOptions scratch;
        const auto refusal = cirrowisp::optionsFromForm(form, scratch);
        QVERIFY(refusal.has_value());
        QCOMPARE(box.text, QString::fromStdString(refusal->message));

        // The window's focus, which it gets back once the message box is gone.
        QVERIFY(dialog->focusWidget() != nullptr);
        QCOMPARE(dialog->focusWidget()->objectName(), QStringLiteral("temperatureEdit"));
        QCOMPARE(dialog->options().maxContrailTemperature, -27);
        QCOMPARE(dialog->options().engineJet, 1);
        QCOMPARE(snapshot(sim.path()), before);
    }

    void checkBoxBindings_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kBindings)); ++i) {
            QTest::newRow(kBindings[i].control) << i;
        }
    }

    void checkBoxBindings() {
        QFETCH(int, index);
        const Binding& binding = kBindings[index];
        QTemporaryDir sim;
        auto dialog = openDialog();
        setPath(*dialog, sim.path() + QStringLiteral("/"));
        child<QLineEdit>(*dialog, "effectEdit")->setText(QStringLiteral("fx_other"));
        auto* box = child<QCheckBox>(*dialog, binding.control);
        QVERIFY(box != nullptr);
        box->toggle();

        PatchOptions expected;
        expected.*binding.field = box->isChecked() ? 1 : 0;
        expected.effectName = "fx_other";
        expected.simulatorPath =
            QFile::encodeName(QDir::toNativeSeparators(sim.path() + "/")).toStdString();
        QVERIFY(clickStart(*dialog).shown);

        const PatchOptions& got = dialog->options();
        for (const Binding& other : kBindings) {
            QVERIFY2(got.*other.field == expected.*other.field, other.control);
        }
        QCOMPARE(got.maxContrailTemperature, -27);
        QCOMPARE(got.effectName, expected.effectName);
        QCOMPARE(got.simulatorPath, expected.simulatorPath);
    }

    void realRun() {
        QTemporaryDir base;
        // A folder name outside ASCII: the path reaches the core in the local 8-bit encoding,
        // the same one the file system uses for names.
        const QString sim = base.path() + QStringLiteral("/Simulator \u00e9t\u00e9");
        const QString airplanes = sim + "/SimObjects/Airplanes";
        writeFile(airplanes + "/Jet1/aircraft.cfg", kJetCfg);
        writeFile(airplanes + "/Piston1/aircraft.cfg", kPistonCfg);
        writeFile(sim + "/MyTraffic/Aircraft/Turbo1/aircraft.cfg", kTurbopropCfg);
        writeFile(airplanes + "/Flyable1/aircraft.cfg", kJetCfg);
        QVERIFY(QDir().mkpath(airplanes + "/Flyable1/panel"));

        auto dialog = openDialog();
        setPath(*dialog, sim);

        // Defaults: jets and turboprops, no flyable aircraft.
        SeenBox box = clickStart(*dialog);
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Cirrowisp"));
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttonCount, 1);
        QVERIFY(box.waitCursorGone);
        QCOMPARE(box.text, summaryOf({3, 0, 2, 2}));
        const QByteArray jet = readFile(airplanes + "/Jet1/aircraft.cfg");
        QVERIFY(jet.contains("contrail=fx_Cirrowisp"));
        QVERIFY(jet.contains("max_contrail_temperature=-27"));
        QVERIFY(!readFile(airplanes + "/Piston1/aircraft.cfg").contains("contrail="));
        QCOMPARE(readFile(airplanes + "/Jet1/without_contrails_aircraft.cfg"), kJetCfg);
        QCOMPARE(readFile(airplanes + "/Flyable1/aircraft.cfg"), kJetCfg);

        // Flyable aircraft in, a new temperature typed over the digits, another effect name.
        child<QCheckBox>(*dialog, "flyableBox")->setChecked(true);
        auto* temperature = child<QLineEdit>(*dialog, "temperatureEdit");
        temperature->end(false);
        QTest::keyClick(temperature, Qt::Key_Backspace);
        QTest::keyClick(temperature, Qt::Key_Backspace);
        QTest::keyClicks(temperature, QStringLiteral("40"));
        child<QLineEdit>(*dialog, "effectEdit")->setText(QStringLiteral("fx_test"));
        box = clickStart(*dialog);
        QCOMPARE(box.text, summaryOf({3, 1, 1, 3}));
        const QByteArray flyable = readFile(airplanes + "/Flyable1/aircraft.cfg");
        QVERIFY(flyable.contains("contrail=fx_test"));
        QVERIFY(flyable.contains("max_contrail_temperature=-40"));
        QVERIFY(
            readFile(airplanes + "/Jet1/aircraft.cfg").contains("max_contrail_temperature=-40"));
        QCOMPARE(readFile(airplanes + "/Jet1/without_contrails_aircraft.cfg"), kJetCfg);

        // Nothing changed in the dialog: the same aircraft, nothing added or changed.
        const auto patched = snapshot(sim);
        box = clickStart(*dialog);
        QCOMPARE(box.text, summaryOf({3, 1, 0, 0}));
        QCOMPARE(snapshot(sim), patched);
    }

    void waitCursorDuringRun() {
        // The cursor the user sees whenever the run lists a folder.
        cirrowisp::FakeFileSystem fake;
        fake.addFile("/sim/SimObjects/Airplanes/Jet1/aircraft.cfg", kJetCfg.toStdString());
        QList<Qt::CursorShape> seen;
        fake.setAfterEachOperation([&] {
            const QCursor* cursor = QApplication::overrideCursor();
            if (fake.log().back().starts_with("list "))
                seen << (cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
        });
        GeneratorDialog dialog(fake);
        dialog.show();
        setPath(dialog, QStringLiteral("/sim"));

        const SeenBox box = clickStart(dialog);
        QCOMPARE(box.text, summaryOf({1, 0, 1, 1}));
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen, QList<Qt::CursorShape>(seen.size(), Qt::WaitCursor));
        QVERIFY(box.waitCursorGone);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void fileError() {
        QTemporaryDir sim;
        const QString folder = sim.path() + "/SimObjects/Airplanes/Jet1";
        writeFile(folder + "/aircraft.cfg", kJetCfg);
        // A folder where the backup should go: it cannot be opened, so the backup counts as
        // absent, and making it then fails because the name is taken.
        QVERIFY(QDir().mkpath(folder + "/without_contrails_aircraft.cfg"));

        auto dialog = openDialog();
        setPath(*dialog, sim.path());
        SeenBox box = clickStart(*dialog);
        QVERIFY(box.shown);
        QCOMPARE(box.title, QStringLiteral("Cirrowisp"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY(box.waitCursorGone);
        QVERIFY(box.dialogVisible);
        QVERIFY2(box.text.contains(QStringLiteral("without_contrails_aircraft.cfg")),
                 qPrintable(box.text));
        QVERIFY(!box.text.startsWith(QStringLiteral("Scanned")));
        QCOMPARE(readFile(folder + "/aircraft.cfg"), kJetCfg);
        QVERIFY(dialog->isVisible());

        // The dialog stays for another try, which succeeds once the obstacle is gone.
        QVERIFY(QDir(folder + "/without_contrails_aircraft.cfg").removeRecursively());
        box = clickStart(*dialog);
        QCOMPARE(box.text, summaryOf({1, 0, 1, 1}));
        QCOMPARE(readFile(folder + "/without_contrails_aircraft.cfg"), kJetCfg);
    }

    // The Restore item, end to end: a run, an edit, then the item from the icon button's menu,
    // answered No and then Yes.
    void restoreFromMenu() {
        QTemporaryDir sim;
        const QString airplanes = sim.path() + "/SimObjects/Airplanes";
        writeFile(airplanes + "/Jet1/aircraft.cfg", kJetCfg);
        writeFile(airplanes + "/Edited1/aircraft.cfg", kJetCfg);
        writeFile(sim.path() + "/MyTraffic/Aircraft/Turbo1/aircraft.cfg", kTurbopropCfg);
        const auto beforeRun = snapshot(sim.path());

        auto dialog = openDialog();
        setPath(*dialog, sim.path());
        QCOMPARE(clickStart(*dialog).text, summaryOf({3, 0, 3, 3}));
        writeFile(
            airplanes + "/Edited1/aircraft.cfg",
            readFile(airplanes + "/Edited1/aircraft.cfg") + "\r\n[fltsim.1]\r\ntitle=Livery\r\n");
        const auto afterRun = snapshot(sim.path());

        // Above About, in the icon button's menu and in the context menu.
        QAction* restore = dialog->restoreAction();
        QCOMPARE(restore->text(), QStringLiteral("&Restore original files..."));
        const QList<QAction*> items{restore, dialog->aboutAction()};
        QCOMPARE(child<QToolButton>(*dialog, "menuButton")->menu()->actions(), items);
        QCOMPARE(dialog->actions(), items);

        const auto trigger = [&] { restore->trigger(); };
        QList<SeenBox> boxes = answerBoxes(*dialog, trigger, QMessageBox::No);
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].noIsDefault);
        QCOMPARE(snapshot(sim.path()), afterRun);
        QVERIFY2(boxes[0].text.contains(QDir::toNativeSeparators(sim.path())),
                 qPrintable(boxes[0].text));
        QCOMPARE(boxes[0].icon, QMessageBox::Question);

        boxes = answerBoxes(*dialog, trigger, QMessageBox::Yes);
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0].noIsDefault);
        QCOMPARE(boxes[0].title, QStringLiteral("Cirrowisp"));
        QCOMPARE(boxes[1].title, QStringLiteral("Cirrowisp"));
        const QString summary = QString::fromStdString(cirrowisp::restoreSummaryText({2, 0, 1, 0}));
        QVERIFY2(boxes[1].text.startsWith(summary), qPrintable(boxes[1].text));
        QVERIFY2(boxes[1].text.contains(QStringLiteral("Edited1: edited since the run")),
                 qPrintable(boxes[1].text));
        QCOMPARE(boxes[1].icon, QMessageBox::Warning);

        // The tree before the run, but for the edited folder, which is as the run left it.
        auto expected = beforeRun;
        for (const auto& [path, bytes] : afterRun) {
            if (path.find("Edited1") != std::string::npos)
                expected[path] = bytes;
        }
        QCOMPARE(snapshot(sim.path()), expected);
        QVERIFY(dialog->isVisible());
    }

    void browseButton_data() {
        QTest::addColumn<bool>("chosen");
        QTest::newRow("folder chosen") << true;
        QTest::newRow("chooser cancelled") << false;
    }

    void browseButton() {
        QFETCH(bool, chosen);
        QTemporaryDir sim;
        auto dialog = openDialog();
        const int windows = whileModal(
            [&] { QTest::mouseClick(child<QPushButton>(*dialog, "browseButton"), Qt::LeftButton); },
            [&](QWidget* modal) {
                auto* chooser = qobject_cast<QFileDialog*>(modal);
                QVERIFY(chooser != nullptr);
                QCOMPARE(chooser->fileMode(), QFileDialog::Directory);
                if (chosen) {
                    chooser->setDirectory(sim.path());
                    chooser->selectFile(sim.path());
                    // QFileDialog hides accept(); the dialog's own one takes the chosen folder.
                    static_cast<QDialog*>(chooser)->accept();
                } else {
                    chooser->reject();
                }
            });
        QCOMPARE(windows, 1);
        QCOMPARE(child<QLineEdit>(*dialog, "pathEdit")->text(),
                 chosen ? QDir::toNativeSeparators(sim.path()) : QStringLiteral(".\\Aircraft\\"));
    }

    void simulatorFolderList() {
        QTemporaryDir base;
        const QString sim = base.path() + "/sim";
        writeFile(sim + "/SimObjects/Airplanes/Jet1/aircraft.cfg", kJetCfg);
        writeFile(sim + "/SimObjects/Rotorcraft/Helo1/aircraft.cfg", kHeloCfg);
        writeFile(base.path() + "/fsx.cfg",
                  "[Main]\r\nSimObjectPaths.0=SimObjects\\Airplanes\r\n"
                  "SimObjectPaths.1=SimObjects\\Rotorcraft\r\n");

        auto dialog = openDialog();
        setPath(*dialog, sim);
        child<QCheckBox>(*dialog, "heloTurbineBox")->setChecked(true);
        child<QCheckBox>(*dialog, "simObjectPathsBox")->setChecked(true);

        // A missing fsx.cfg: the message names it, and nothing is touched.
        const QString missing = base.path() + "/no-such.cfg";
        dialog->setSimulatorConfig(QFile::encodeName(missing).toStdString());
        const auto before = snapshot(base.path());
        SeenBox box = clickStart(*dialog);
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(missing), qPrintable(box.text));
        QCOMPARE(snapshot(base.path()), before);

        dialog->setSimulatorConfig(QFile::encodeName(base.path() + "/fsx.cfg").toStdString());
        box = clickStart(*dialog);
        QCOMPARE(box.text, summaryOf({2, 0, 2, 2}));
        QVERIFY(readFile(sim + "/SimObjects/Rotorcraft/Helo1/aircraft.cfg").contains("contrail="));

        // The Restore item walks the same folders: the listed one gets its file back too.
        const QList<SeenBox> boxes = answerBoxes(
            *dialog, [&] { dialog->restoreAction()->trigger(); }, QMessageBox::Yes);
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[0].text.contains(QStringLiteral("fsx.cfg")), qPrintable(boxes[0].text));
        QVERIFY2(boxes[1].text.startsWith(
                     QString::fromStdString(cirrowisp::restoreSummaryText({2, 0, 0, 0}))),
                 qPrintable(boxes[1].text));
        QCOMPARE(readFile(sim + "/SimObjects/Rotorcraft/Helo1/aircraft.cfg"), kHeloCfg);
        QCOMPARE(snapshot(base.path()), before);
    }

    void aboutBox_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("F1") << "F1";
        QTest::newRow("menu button") << "menu";
        QTest::newRow("context menu") << "context";
    }

    void aboutBox() {
        QFETCH(QString, way);
        auto dialog = openDialog();
        QAction* about = dialog->aboutAction();
        QCOMPARE(about->text(), QStringLiteral("&About Cirrowisp..."));

        std::function<void()> open;
        if (way == "F1") {
            open = [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1); };
        } else if (way == "menu") {
            QMenu* menu = child<QToolButton>(*dialog, "menuButton")->menu();
            QVERIFY(menu != nullptr && menu->actions().contains(about));
            open = [&] { about->trigger(); };
        } else {
            QCOMPARE(dialog->contextMenuPolicy(), Qt::ActionsContextMenu);
            QVERIFY(dialog->actions().contains(about));
            open = [&] { about->trigger(); };
        }

        QString title;
        QStringList texts;
        QSize iconSize;
        bool okDefault = false;
        const int opened = whileModal(open, [&](QWidget* modal) {
            title = modal->windowTitle();
            for (const QLabel* label : modal->findChildren<QLabel*>()) {
                if (!label->text().isEmpty())
                    texts << label->text();
                if (!label->pixmap().isNull())
                    iconSize = label->pixmap().size();
            }
            const auto buttons = modal->findChildren<QPushButton*>();
            if (buttons.size() == 1 && buttons.front()->text() == QStringLiteral("OK")) {
                okDefault = buttons.front()->isDefault();
                buttons.front()->click();
            } else {
                modal->close();
            }
        });
        QCOMPARE(opened, 1);
        QCOMPARE(title, QStringLiteral("About Cirrowisp"));
        QCOMPARE(texts, QStringList{QStringLiteral(CIRROWISP_ABOUT_TEXT)});
        QCOMPARE(iconSize, QSize(32, 32));
        QVERIFY(okDefault);
        QVERIFY(dialog->isVisible());
    }
};

QTEST_MAIN(GeneratorDialogTest)
#include "generator_dialog_test.moc"
