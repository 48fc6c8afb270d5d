#include "ui/qt/generator_dialog.h"

#include <string_view>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "res/captions.h"
#include "ui/common/restore_action.h"
#include "ui/qt/about_dialog.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/temperature_edit.h"

namespace cirrowisp {

namespace {

// The title of every message box: the program's name, as the Windows build takes it from
// its executable.
const QString kMessageTitle = QStringLiteral("Cirrowisp");

// The core works on byte strings in the system's 8-bit encoding; the widgets hold Unicode.
std::string toBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString fromBytes(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Restores the normal cursor however the run ends, an unexpected exception included.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QCheckBox* checkBox(const QString& caption, const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// An engine type's check box is named after its command-line name: "helo-turbine" gives
// "heloTurbineBox".
QString engineBoxName(std::string_view cliName) {
    QString name;
    bool upper = false;
    for (const char c : cliName) {
        if (c == '-') {
            upper = true;
            continue;
        }
        const QChar letter = QChar::fromLatin1(c);
        name += upper ? letter.toUpper() : letter;
        upper = false;
    }
    return name + QStringLiteral("Box");
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

GeneratorDialog::GeneratorDialog(FileSystem& fileSystem, QWidget* parent)
    : QDialog(parent), fileSystem_(fileSystem), simulators_(fileSystem), icon_(applicationIcon()) {
    // The record starts with its defaults; the lookup runs once, above: a failed one leaves
    // the last known path in place.
    options_.simulatorPath = simulators_.current().folder;

    setObjectName(QStringLiteral("generatorDialog"));
    setWindowTitle(QStringLiteral(CIRROWISP_GENERATOR_TITLE));
    setWindowIcon(icon_);
    buildControls();
    showForm(formFromOptions(options_));
    cancelButton_->setFocus();
}

void GeneratorDialog::buildControls() {
    // Created in tab order: Cancel, Start, the six engine types, temperature, path, Browse,
    // flyable, the simulator's own folders, effect name.
    cancelButton_ = new QPushButton(QStringLiteral(CIRROWISP_CANCEL_CAPTION), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    startButton_ = new QPushButton(QStringLiteral(CIRROWISP_START_CAPTION), this);
    startButton_->setObjectName(QStringLiteral("startButton"));
    startButton_->setDefault(true);

    auto* engineGroup = new QGroupBox(QStringLiteral(CIRROWISP_ENGINE_GROUP_CAPTION), this);
    engineGroup->setObjectName(QStringLiteral("engineTypeGroup"));
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        const std::string_view caption = kEngineTypes[i].caption;
        engineBoxes_[i] =
            checkBox(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                     engineBoxName(kEngineTypes[i].cliName), engineGroup);
    }

    temperatureEdit_ = new TemperatureEdit(this);
    temperatureEdit_->setObjectName(QStringLiteral("temperatureEdit"));
    simulatorCombo_ = new QComboBox(this);
    simulatorCombo_->setObjectName(QStringLiteral("simulatorCombo"));
    for (std::size_t i = 0; i < simulators_.installations().size(); ++i) {
        simulatorCombo_->addItem(fromBytes(simulators_.itemText(i)));
    }
    // No item stands chosen unless the path field starts with its folder.
    simulatorCombo_->setCurrentIndex(
        simulators_.chosenItem() ? static_cast<int>(*simulators_.chosenItem()) : -1);
    simulatorCombo_->setPlaceholderText(simulators_.installations().empty()
                                            ? QStringLiteral("None found")
                                            : QStringLiteral("Another folder"));
    simulatorCombo_->setEnabled(!simulators_.installations().empty());
    connect(simulatorCombo_, &QComboBox::activated, this, &GeneratorDialog::chooseSimulator);
    pathEdit_ = new QLineEdit(this);
    pathEdit_->setObjectName(QStringLiteral("pathEdit"));
    browseButton_ = new QPushButton(QStringLiteral("Browse..."), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setAutoDefault(false);
    // The trailing blank is part of the caption.
    flyableBox_ =
        checkBox(QStringLiteral(CIRROWISP_FLYABLE_CAPTION), QStringLiteral("flyableBox"), this);
    simObjectPathsBox_ = checkBox(QStringLiteral("Aircraft folders from fsx.cfg"),
                                  QStringLiteral("simObjectPathsBox"), this);
    simObjectPathsBox_->setToolTip(
        QStringLiteral("Also every folder the simulator's fsx.cfg lists, such as "
                       "SimObjects\\Rotorcraft and AI traffic folders"));
    effectEdit_ = new QLineEdit(this);
    effectEdit_->setObjectName(QStringLiteral("effectEdit"));

    std::vector<QWidget*> tabChain = {cancelButton_, startButton_};
    tabChain.insert(tabChain.end(), engineBoxes_.begin(), engineBoxes_.end());
    tabChain.insert(tabChain.end(), {temperatureEdit_, simulatorCombo_, pathEdit_, browseButton_,
                                     flyableBox_, simObjectPathsBox_, effectEdit_});
    for (std::size_t i = 1; i < tabChain.size(); ++i) {
        setTabOrder(tabChain[i - 1], tabChain[i]);
    }

    // The Restore item, above About in both menus, as in the Windows system menu.
    restoreAction_ = new QAction(QStringLiteral(CIRROWISP_RESTORE_ITEM), this);
    restoreAction_->setObjectName(QStringLiteral("restoreAction"));
    connect(restoreAction_, &QAction::triggered, this, &GeneratorDialog::restoreOriginals);
    addAction(restoreAction_);

    // The About item: in the menu behind the icon button (where Windows has its system menu),
    // in the dialog's context menu, and on F1.
    aboutAction_ = new QAction(QStringLiteral(CIRROWISP_ABOUT_ITEM), this);
    aboutAction_->setObjectName(QStringLiteral("aboutAction"));
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    connect(aboutAction_, &QAction::triggered, this, &GeneratorDialog::showAbout);
    addAction(aboutAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* menu = new QMenu(this);
    menu->addAction(restoreAction_);
    menu->addAction(aboutAction_);
    menuButton_ = new QToolButton(this);
    menuButton_->setObjectName(QStringLiteral("menuButton"));
    menuButton_->setIcon(icon_);
    menuButton_->setToolTip(QStringLiteral("Menu"));
    menuButton_->setAccessibleName(QStringLiteral("Menu"));
    menuButton_->setAutoRaise(true);
    menuButton_->setPopupMode(QToolButton::InstantPopup);
    menuButton_->setMenu(menu);
    // Outside the tab order, which stays that of the Windows dialog.
    menuButton_->setFocusPolicy(Qt::NoFocus);

    connect(startButton_, &QPushButton::clicked, this, &GeneratorDialog::start);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(browseButton_, &QPushButton::clicked, this, &GeneratorDialog::browseForFolder);

    // Widths from the font, so the fields keep their proportions at any font size.
    const int charWidth = fontMetrics().averageCharWidth();
    pathEdit_->setMinimumWidth(charWidth * 34);
    temperatureEdit_->setFixedWidth(charWidth * 8);

    auto* engineLayout = new QVBoxLayout(engineGroup);
    for (QCheckBox* box : engineBoxes_) {
        engineLayout->addWidget(box);
    }

    auto* topRow = new QHBoxLayout;
    topRow->addWidget(engineGroup);
    topRow->addSpacing(charWidth * 2);
    auto* folderBoxes = new QVBoxLayout;
    folderBoxes->addWidget(flyableBox_);
    folderBoxes->addWidget(simObjectPathsBox_);
    folderBoxes->addStretch();
    topRow->addLayout(folderBoxes);
    topRow->addStretch();

    auto* fields = new QGridLayout;
    fields->addWidget(caption(QStringLiteral("Simulator"), this), 0, 0);
    fields->addWidget(simulatorCombo_, 0, 1);
    fields->addWidget(caption(QStringLiteral(CIRROWISP_PATH_CAPTION), this), 1, 0);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathEdit_, 1);
    pathRow->addWidget(browseButton_);
    fields->addLayout(pathRow, 1, 1);
    fields->addWidget(caption(QStringLiteral(CIRROWISP_EFFECT_CAPTION), this), 2, 0);
    fields->addWidget(effectEdit_, 2, 1);
    fields->addWidget(caption(QStringLiteral(CIRROWISP_TEMPERATURE_CAPTION), this), 3, 0);
    fields->addWidget(temperatureEdit_, 3, 1, Qt::AlignRight);
    fields->setColumnStretch(1, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(menuButton_);
    buttonRow->addStretch();
    buttonRow->addWidget(startButton_);
    buttonRow->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(topRow);
    layout->addSpacing(charWidth);
    layout->addLayout(fields);
    layout->addSpacing(charWidth);
    layout->addLayout(buttonRow);
    // Fixed size, as the Windows dialog: the layout decides it from the font.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

FormValues GeneratorDialog::formFromControls() const {
    FormValues form;
    form.temperatureText = toBytes(temperatureEdit_->text());
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        form.engines[i] = engineBoxes_[i]->isChecked();
    }
    form.flyable = flyableBox_->isChecked();
    form.simObjectPaths = simObjectPathsBox_->isChecked();
    form.effectName = toBytes(effectEdit_->text());
    form.simulatorPath = toBytes(pathEdit_->text());
    return form;
}

void GeneratorDialog::showForm(const FormValues& form) {
    temperatureEdit_->setText(fromBytes(form.temperatureText));
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        engineBoxes_[i]->setChecked(form.engines[i]);
    }
    flyableBox_->setChecked(form.flyable);
    simObjectPathsBox_->setChecked(form.simObjectPaths);
    effectEdit_->setText(fromBytes(form.effectName));
    pathEdit_->setText(fromBytes(form.simulatorPath));
}

void GeneratorDialog::start() {
    StartOutcome outcome;
    {
        WaitCursor wait;
        outcome = runStart(formFromControls(), options_, fileSystem_, configFile());
    }
    const QString message = fromBytes(outcome.message);
    switch (outcome.kind) {
        case StartOutcome::Kind::refused:
            QMessageBox::warning(this, kMessageTitle, message);
            // The only field that can refuse its value is the temperature.
            temperatureEdit_->setFocus();
            temperatureEdit_->selectAll();
            break;
        case StartOutcome::Kind::finished:
            QMessageBox::information(this, kMessageTitle, message);
            break;
        case StartOutcome::Kind::failed:
            QMessageBox::critical(this, kMessageTitle, message);
            break;
    }
}

void GeneratorDialog::restoreOriginals() {
    const FormValues form = formFromControls();
    if (QMessageBox::question(this, kMessageTitle, fromBytes(restoreQuestionText(form)),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    RestoreOutcome outcome;
    {
        WaitCursor wait;
        outcome = runRestoreFromForm(form, fileSystem_, configFile());
    }
    const QString message = fromBytes(outcome.message);
    switch (outcome.kind) {
        case RestoreOutcome::Kind::finished:
            QMessageBox::information(this, kMessageTitle, message);
            break;
        case RestoreOutcome::Kind::leftAlone:
            QMessageBox::warning(this, kMessageTitle, message);
            break;
        case RestoreOutcome::Kind::failed:
            QMessageBox::critical(this, kMessageTitle, message);
            break;
    }
}

void GeneratorDialog::browseForFolder() {
    // Starts where the field points when that is a folder; the chooser knows no Windows paths.
    const QString current = QDir::fromNativeSeparators(pathEdit_->text());
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Simulator folder"), QDir(current).exists() ? current : QString());
    if (!chosen.isEmpty()) {
        pathEdit_->setText(QDir::toNativeSeparators(chosen));
    }
}

void GeneratorDialog::chooseSimulator(int item) {
    if (item >= 0) {
        pathEdit_->setText(fromBytes(simulators_.choose(static_cast<std::size_t>(item)).folder));
    }
}

std::string GeneratorDialog::configFile() const {
    return simulatorConfig_.empty() ? simulators_.current().configFile : simulatorConfig_;
}

void GeneratorDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

}  // namespace cirrowisp
