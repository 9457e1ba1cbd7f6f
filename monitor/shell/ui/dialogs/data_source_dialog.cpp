#include "monitor/shell/ui/dialogs/data_source_dialog.h"

#include "common/serial/port_names.h"
#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {

namespace {

QComboBox* editableBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

} // namespace

DataSourceDialog::DataSourceDialog(ProfileFile& profile, Prompter& prompter, bool cancelEnabled,
                                   QWidget* parent)
    : QDialog(parent), setup_(profile), prompter_(prompter), cancelEnabled_(cancelEnabled),
      choices_(new QButtonGroup(this)) {
    setWindowTitle(QString::fromLatin1(sourcedialog::kTitle));
    chooseFile_ = [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QString::fromLatin1(sourcedialog::kBrowseTitle),
                                            current, qtFileFilter(sourcedialog::kBrowseFilter));
    };

    auto* serial = new QRadioButton(QString::fromLatin1(sourcedialog::kSerialChoice), this);
    serial->setObjectName(QStringLiteral("serialRadio"));
    auto* file = new QRadioButton(QString::fromLatin1(sourcedialog::kFileChoice), this);
    file->setObjectName(QStringLiteral("fileRadio"));
    auto* random = new QRadioButton(QString::fromLatin1(sourcedialog::kRandomChoice), this);
    random->setObjectName(QStringLiteral("randomRadio"));
    choices_->addButton(serial, kSourceSerial);
    choices_->addButton(file, kSourceFile);
    choices_->addButton(random, kSourceRandom);

    portBox_ = editableBox("portBox", this);
    for (const std::string& port : listPorts()) {
        portBox_->addItem(qText(port));
    }
    baudBox_ = editableBox("baudBox", this);
    for (const char* rate : sourcedialog::kBaudRates) {
        baudBox_->addItem(QString::fromLatin1(rate));
    }
    fileNameEdit_ = new QLineEdit(this);
    fileNameEdit_->setObjectName(QStringLiteral("fileNameEdit"));
    browseButton_ = new QPushButton(QString::fromLatin1(sourcedialog::kBrowse), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setAutoDefault(false);
    auto* formatLabel = new QLabel(QString::fromLatin1(sourcedialog::kFormatLabel), this);
    formatBox_ = editableBox("formatBox", this);
    for (const char* type : sourcedialog::kFileTypes) {
        formatBox_->addItem(QString::fromLatin1(type));
    }
    // "FileType" is changed only in the settings file.
    formatBox_->setEnabled(false);

    auto* grid = new QGridLayout;
    grid->addWidget(serial, 0, 0);
    grid->addWidget(portBox_, 0, 1);
    grid->addWidget(baudBox_, 0, 2);
    grid->addWidget(file, 1, 0);
    grid->addWidget(fileNameEdit_, 1, 1);
    grid->addWidget(browseButton_, 1, 2);
    grid->addWidget(formatLabel, 2, 0, Qt::AlignRight);
    grid->addWidget(formatBox_, 2, 1);
    grid->addWidget(random, 3, 0);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 240);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setEnabled(cancelEnabled_);
    connect(buttons, &QDialogButtonBox::accepted, this, &DataSourceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DataSourceDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    const DataSourceEntries& loaded = setup_.entries();
    portBox_->setEditText(qText(loaded.serPort));
    baudBox_->setEditText(qText(loaded.serBaud));
    fileNameEdit_->setText(qText(loaded.fileName));
    formatBox_->setEditText(qText(loaded.fileType));
    // A "Src" of no known choice checks no radio; OK then keeps it as it is.
    if (QAbstractButton* stored = choices_->button(loaded.src)) {
        stored->setChecked(true);
    }
    showChoice(loaded.src);

    connect(choices_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            showChoice(id);
        }
    });
    connect(browseButton_, &QPushButton::clicked, this, &DataSourceDialog::browse);
}

void DataSourceDialog::setFileChooser(FileChooser chooser) {
    chooseFile_ = std::move(chooser);
}

DataSourceEntries DataSourceDialog::entries() const {
    const int checked = choices_->checkedId();
    return {checked >= 0 ? checked : setup_.entries().src, portBox_->currentText().toStdString(),
            baudBox_->currentText().toStdString(), fileNameEdit_->text().toStdString(),
            formatBox_->currentText().toStdString()};
}

void DataSourceDialog::showChoice(int src) {
    portBox_->setEnabled(serialBoxesEnabled(src));
    baudBox_->setEnabled(serialBoxesEnabled(src));
    fileNameEdit_->setEnabled(fileBoxesEnabled(src));
    browseButton_->setEnabled(fileBoxesEnabled(src));
}

void DataSourceDialog::browse() {
    const QString chosen = chooseFile_(fileNameEdit_->text());
    if (!chosen.isEmpty()) {
        fileNameEdit_->setText(chosen);
    }
}

void DataSourceDialog::accept() {
    const DataSourceSetup::Outcome outcome = setup_.accept(entries(), prompter_);
    if (outcome.accepted) {
        QDialog::accept();
        return;
    }
    switch (outcome.focus) {
    case DataSourceSetup::Field::Port:
        portBox_->setFocus();
        break;
    case DataSourceSetup::Field::Baud:
        baudBox_->setFocus();
        break;
    case DataSourceSetup::Field::FileName:
        fileNameEdit_->setFocus();
        break;
    case DataSourceSetup::Field::Format:
        // Disabled: Qt leaves the focus where it is.
        formatBox_->setFocus();
        break;
    case DataSourceSetup::Field::None:
        break;
    }
}

void DataSourceDialog::reject() {
    if (cancelEnabled_) {
        QDialog::reject();
    }
}

} // namespace zeph::monitor
