#include "flash/frontend/ui/burn_dialog.h"

#include "common/text/strprintf.h"
#include "flash/engine/cli/report.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace zeph::burnfront {

namespace {

constexpr const char* kRates[] = {"307200", "230400", "115200", "57600", "38400"};
constexpr int kChipSelects = 8;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QLineEdit* readOnlyField(const char* name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setReadOnly(true);
    return field;
}

QGroupBox* formGroup(const char* title,
                     std::initializer_list<std::pair<const char*, QWidget*>> rows) {
    auto* group = new QGroupBox(title);
    auto* form = new QFormLayout(group);
    for (const auto& [label, widget] : rows) {
        form->addRow(label, widget);
    }
    return group;
}

QGroupBox* columnGroup(const char* title, std::initializer_list<QWidget*> widgets) {
    auto* group = new QGroupBox(title);
    auto* column = new QVBoxLayout(group);
    for (QWidget* widget : widgets) {
        column->addWidget(widget);
    }
    return group;
}

QRadioButton* radio(const char* text, const char* name) {
    auto* button = new QRadioButton(text);
    button->setObjectName(name);
    return button;
}

QPushButton* button(const char* text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

BurnDialog::BurnDialog(const FrontOptions& options, std::vector<std::string> ports, int portIndex,
                       std::string enginePath, Prompter& prompter, QWidget* parent)
    : QDialog(parent), options_(options), ports_(std::move(ports)),
      enginePath_(std::move(enginePath)), prompter_(prompter) {
    setObjectName("ZephBurn");
    setFont(QFont("Arial", 8));
    buildControls();

    programFlash_->setChecked(!options.read);
    readFlash_->setChecked(options.read);
    for (const std::string& port : ports_) {
        line_->addItem(q(port));
    }
    line_->setCurrentIndex(portIndex);
    baudRate_->setCurrentText(q(options.baudRate));
    chipSelect_->setCurrentIndex(options.chipSelect);
    chipOffset_->setText(q(options.chipOffset));
    switch (options.erase) {
    case EraseMode::WholeChip:
        eraseWhole_->setChecked(true);
        break;
    case EraseMode::Update:
        update_->setChecked(true);
        break;
    case EraseMode::RelevantSectors:
        eraseRelevant_->setChecked(true);
        break;
    }
    fromAddress_->setText(q(options.fromAddress));
    toAddress_->setText(q(options.toAddress));
    dataFile_->setText(q(options.dataFile));
    setMode(!options.read);
    showFields();
    updateTitle();
}

BurnDialog::~BurnDialog() {
    if (worker_.joinable()) {
        child_.terminate();
        worker_.join();
    }
}

void BurnDialog::buildControls() {
    programFlash_ = radio("Program flash", "programFlash");
    readFlash_ = radio("Read flash", "readFlash");
    line_ = new QComboBox;
    line_->setObjectName("line");
    baudRate_ = new QComboBox;
    baudRate_->setObjectName("baudRate");
    for (const char* rate : kRates) {
        baudRate_->addItem(rate);
    }
    chipSelect_ = new QComboBox;
    chipSelect_->setObjectName("chipSelect");
    for (int i = 0; i < kChipSelects; ++i) {
        chipSelect_->addItem(QString("CSN%1").arg(i));
    }
    chipOffset_ = new QLineEdit;
    chipOffset_->setObjectName("chipOffset");
    eraseRelevant_ = radio("Erase relevant sectors only", "eraseRelevant");
    eraseWhole_ = radio("Erase whole chip", "eraseWhole");
    update_ = radio("Update", "update");
    auto* eraseGroup = new QButtonGroup(this); // apart from the activity radios
    for (QRadioButton* r : {eraseRelevant_, eraseWhole_, update_}) {
        eraseGroup->addButton(r);
    }
    fromAddress_ = new QLineEdit;
    fromAddress_->setObjectName("fromAddress");
    toAddress_ = new QLineEdit;
    toAddress_->setObjectName("toAddress");
    dataFile_ = new QLineEdit;
    dataFile_->setObjectName("dataFile");
    dataFile_->setMinimumWidth(220);
    browse_ = button("Browse", "browse");

    auto* activity = columnGroup("Activity selection", {programFlash_, readFlash_});
    auto* communication =
        formGroup("Communication settings", {{"Line", line_}, {"Baud rate", baudRate_}});
    auto* location = formGroup("Flash location settings",
                               {{"Chip select", chipSelect_}, {"Chip offset", chipOffset_}});
    auto* programming = columnGroup("Programming options", {eraseRelevant_, eraseWhole_, update_});
    auto* reading =
        formGroup("Read settings", {{"From address", fromAddress_}, {"To address", toAddress_}});
    auto* file = new QGroupBox("File selection");
    auto* fileRow = new QHBoxLayout(file);
    fileRow->addWidget(dataFile_, 1);
    fileRow->addWidget(browse_);

    auto* inputs = new QGroupBox("Input selections");
    auto* inputGrid = new QGridLayout(inputs);
    inputGrid->addWidget(activity, 0, 0);
    inputGrid->addWidget(communication, 0, 1);
    inputGrid->addWidget(location, 1, 0);
    inputGrid->addWidget(programming, 1, 1);
    inputGrid->addWidget(reading, 2, 0);
    inputGrid->addWidget(file, 2, 1);

    xfer_ = new QProgressBar;
    xfer_->setObjectName("xfer");
    prog_ = new QProgressBar;
    prog_->setObjectName("prog");
    for (QProgressBar* bar : {xfer_, prog_}) {
        bar->setRange(0, 100);
    }
    total_ = readOnlyField("total");
    erase_ = readOnlyField("erase");
    burn_ = readOnlyField("burn");
    manufacturer_ = readOnlyField("manufacturer");
    model_ = readOnlyField("model");
    chips_ = readOnlyField("chips");
    fileType_ = readOnlyField("fileType");
    lowestAddress_ = readOnlyField("lowestAddress");
    highestAddress_ = readOnlyField("highestAddress");

    auto* progress = formGroup("Progress", {{"Xfer", xfer_}, {"Prog", prog_}});
    auto* timing =
        formGroup("Timing (sec)", {{"Total", total_}, {"Erase", erase_}, {"Burn", burn_}});
    auto* flashInfo = formGroup(
        "Flash info", {{"Manufacturer", manufacturer_}, {"Model", model_}, {"Chips", chips_}});
    auto* fileInfo = formGroup("Input file info", {{"File type", fileType_},
                                                   {"Lowest address", lowestAddress_},
                                                   {"Highest address", highestAddress_}});

    auto* executeButton = button("&Execute", "execute");
    executeButton->setDefault(true);
    auto* helpButton = button("&Help", "help");
    auto* aboutButton = button("&About", "about");
    auto* exitButton = button("E&xit", "exit");
    auto* action = new QGroupBox("Action");
    auto* actionRow = new QHBoxLayout(action);
    for (QPushButton* b : {executeButton, helpButton, aboutButton, exitButton}) {
        actionRow->addWidget(b);
    }

    auto* results = new QGridLayout;
    results->addWidget(progress, 0, 0);
    results->addWidget(timing, 0, 1);
    results->addWidget(flashInfo, 1, 0);
    results->addWidget(fileInfo, 1, 1);
    results->addWidget(action, 2, 0, 1, 2);

    auto* top = new QVBoxLayout(this);
    top->addWidget(inputs);
    top->addLayout(results);

    connect(programFlash_, &QRadioButton::toggled, this, [this](bool on) { setMode(on); });
    connect(line_, &QComboBox::currentIndexChanged, this, [this] { updateTitle(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browse(); });
    connect(executeButton, &QPushButton::clicked, this, &BurnDialog::execute);
    connect(helpButton, &QPushButton::clicked, this, [this] { showHelp(); });
    connect(aboutButton, &QPushButton::clicked, this, [this] { showAbout(); });
    connect(exitButton, &QPushButton::clicked, this, &BurnDialog::exitProgram);
}

void BurnDialog::setMode(bool programming) {
    fromAddress_->setEnabled(!programming);
    toAddress_->setEnabled(!programming);
    for (QRadioButton* r : {eraseRelevant_, eraseWhole_, update_}) {
        r->setEnabled(programming);
    }
}

void BurnDialog::updateTitle() {
    setWindowTitle("ZephBurn on " + line_->currentText());
}

RunSettings BurnDialog::settings() const {
    RunSettings s;
    s.programming = programFlash_->isChecked();
    s.port = line_->currentText().toStdString();
    s.baudRate = baudRate_->currentText().toStdString();
    s.chipSelect = chipSelect_->currentIndex();
    s.chipOffset = chipOffset_->text().toStdString();
    s.erase = eraseWhole_->isChecked() ? EraseMode::WholeChip
              : update_->isChecked()   ? EraseMode::Update
                                       : EraseMode::RelevantSectors;
    s.fromAddress = fromAddress_->text().toStdString();
    s.toAddress = toAddress_->text().toStdString();
    s.dataFile = dataFile_->text().toStdString();
    s.compression = options_.compression;
    s.clockAcq = options_.clockAcq;
    s.clockDivider = options_.clockDivider;
    s.saveResult = options_.saveResult;
    return s;
}

void BurnDialog::showFields() {
    xfer_->setValue(fields_.xfer);
    prog_->setValue(fields_.prog);
    total_->setText(q(fields_.total));
    erase_->setText(q(fields_.erase));
    burn_->setText(q(fields_.burn));
    manufacturer_->setText(q(fields_.manufacturer));
    model_->setText(q(fields_.model));
    chips_->setText(q(fields_.chips));
    fileType_->setText(q(fields_.fileType));
    lowestAddress_->setText(q(fields_.lowestAddress));
    highestAddress_->setText(q(fields_.highestAddress));
}

void BurnDialog::execute() {
    if (busy_.load() || quitting_) {
        return;
    }
    busy_.store(true);
    const RunSettings s = settings();
    UnattendedPrompter unattended;
    Prompter& checks = boxesShown() ? prompter_ : unattended;
    const auto args = prepareRun(s, checks, OutputFileOps::system());
    const std::string resultFile =
        s.saveResult ? resultFileFor(s, engineProgramFolder(enginePath_)) : std::string();
    if (!args) {
        busy_.store(false);
        if (options_.autoExit && !quitting_) { // the one attempt of -ax has failed
            if (!resultFile.empty()) {
                flash::writeResultFile(resultFile, 1);
            }
            endAfterFailedStart();
        }
        return;
    }
    programmingRun_ = s.programming;
    fields_.startRun(s.programming);
    showFields();
    if (worker_.joinable()) {
        worker_.join(); // the last run's thread has already ended
    }
    worker_ = std::thread([this, args = *args, resultFile] {
        ChildOutcome outcome = child_.run(
            enginePath_, args, [this](const flash::PipeRecord& r) { post(r); },
            [this] { post(ChildRunning{}); });
        if (!outcome.endRecordSeen && !resultFile.empty()) {
            // The engine did not get to write its result; an earlier PASS must not stay.
            flash::writeResultFile(resultFile, 1);
        }
        post(RunEnd{std::move(outcome)});
    });
}

void BurnDialog::post(RunEvent event) {
    {
        const std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(event));
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            {
                const std::lock_guard lock(postedMutex_);
                std::move(posted_.begin(), posted_.end(), std::back_inserter(pending_));
                posted_.clear();
            }
            drainEvents();
        },
        Qt::QueuedConnection);
}

void BurnDialog::drainEvents() {
    if (draining_) {
        return; // a box of an earlier event is open; its handler goes on afterwards
    }
    draining_ = true;
    while (!pending_.empty() && !quitting_) {
        const RunEvent event = std::move(pending_.front());
        pending_.pop_front();
        handle(event);
    }
    draining_ = false;
}

void BurnDialog::handle(const RunEvent& event) {
    if (std::holds_alternative<ChildRunning>(event)) {
        fields_.childStarted();
        showFields();
    } else if (const auto* record = std::get_if<flash::PipeRecord>(&event)) {
        const RecordEffect effect = applyRecord(*record, fields_);
        if (effect.fieldsChanged) {
            showFields();
        }
        if (effect.message && boxesShown()) {
            prompter_.tell(*effect.message, Prompter::Icon::Warning);
        }
    } else {
        finishRun(std::get<RunEnd>(event).outcome);
    }
}

void BurnDialog::finishRun(const ChildOutcome& outcome) {
    if (worker_.joinable()) {
        worker_.join();
    }
    closeQuitQuestion();
    if (!outcome.startFailure.empty()) {
        busy_.store(false);
        if (boxesShown()) {
            prompter_.tell(outcome.startFailure,
                           outcome.pipeFailed ? Prompter::Icon::Warning : Prompter::Icon::Error);
        }
        emit runEnded(lastExitStatus_);
        if (options_.autoExit && !quitting_) {
            endAfterFailedStart();
        }
        return;
    }
    lastExitStatus_ = outcome.exitStatus;
    if (!outcome.endRecordSeen && boxesShown()) {
        std::string text = "ZephBurnCL ended without reporting its result";
        if (!outcome.printed.empty()) {
            text += ":\n" + outcome.printed;
        }
        prompter_.tell(text, Prompter::Icon::Warning);
    }
    if (lastExitStatus_ == 0 && !options_.autoExit) {
        prompter_.tell(programmingRun_ ? "Flash successfully programmed!\n"
                                       : "Flash successfully read!\n",
                       Prompter::Icon::Information);
    }
    busy_.store(false);
    emit runEnded(lastExitStatus_);
    if (options_.autoExit && !quitting_) { // not when a signal ended us while a box was open
        quitting_ = true;
        emit quitRequested(lastExitStatus_);
    }
}

void BurnDialog::endAfterFailedStart() {
    lastExitStatus_ = 1;
    quitting_ = true;
    emit quitRequested(1);
}

void BurnDialog::closeQuitQuestion() {
    if (!askingToQuit_) {
        return;
    }
    // The question was about a run that is over now; it counts as No.
    for (QMessageBox* box : findChildren<QMessageBox*>()) {
        if (box->isVisible()) {
            box->done(QMessageBox::No);
        }
    }
}

bool BurnDialog::endRunningChild() {
    const std::string question = programFlash_->isChecked()
                                     ? "Programming in progress.\nDo you really want to quit?"
                                     : "Reading in progress.\nDo you really want to quit?";
    askingToQuit_ = true;
    const Prompter::Answer answer =
        prompter_.ask(question, Prompter::Icon::Warning, Prompter::Buttons::YesNo);
    askingToQuit_ = false;
    if (answer != Prompter::Answer::Yes || !busy_.load()) {
        return false;
    }
    quitting_ = true;
    child_.terminate();
    if (worker_.joinable()) {
        worker_.join();
    }
    return true;
}

void BurnDialog::exitProgram() {
    if (quitting_) {
        return;
    }
    if (!busy_.load()) {
        quitting_ = true;
        emit quitRequested(lastExitStatus_);
        return;
    }
    if (endRunningChild()) {
        emit quitRequested(1);
    }
}

void BurnDialog::endWithoutAsking() {
    if (quitting_) {
        return;
    }
    quitting_ = true;
    const bool wasBusy = busy_.load();
    child_.terminate();
    if (worker_.joinable()) {
        worker_.join();
    }
    emit quitRequested(wasBusy ? 1 : lastExitStatus_);
}

void BurnDialog::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    if (busy_.load() && !endRunningChild()) {
        event->ignore();
        return;
    }
    const int status = busy_.load() ? 1 : lastExitStatus_;
    quitting_ = true;
    event->accept();
    emit quitRequested(status);
}

void BurnDialog::reject() {
    close();
}

void BurnDialog::browse() {
    QString name;
    if (programFlash_->isChecked()) {
        name = QFileDialog::getOpenFileName(
            this, "Input file", dataFile_->text(),
            "Motorola S Files (*.s);;Binary Files (*.bin);;Intel Hex Files (*.hex);;"
            "Arm eXecutable Files (*.axf);;All Files (*)",
            nullptr);
    } else {
        name = QFileDialog::getSaveFileName(this, "Output file", dataFile_->text(),
                                            "Binary Files (*.bin);;All Files (*)");
        if (!name.isEmpty()) {
            // The user has agreed to replace it, which only a regular file may be.
            const OutputFileOps files = OutputFileOps::system();
            const std::string path = name.toStdString();
            if (files.kind(path) == PathKind::Other) {
                prompter_.tell(strprintf(kNotRegularFileFormat, path.c_str()),
                               Prompter::Icon::Warning);
                return;
            }
            files.remove(path);
        }
    }
    if (!name.isEmpty()) {
        dataFile_->setText(name);
    }
}

void BurnDialog::showAbout() {
    QMessageBox box(QMessageBox::NoIcon, "About ZephBurn",
                    QString("ZephBurn, Version %1").arg(kFrontVersion), QMessageBox::Ok, this);
    box.setObjectName("aboutBox");
    box.exec();
}

void BurnDialog::showHelp() {
    QMessageBox box(QMessageBox::NoIcon, "ZephBurn Help",
                    "<pre>" + q(helpText()).toHtmlEscaped() + "</pre>", QMessageBox::Ok, this);
    box.setObjectName("helpBox");
    box.exec();
}

} // namespace zeph::burnfront
