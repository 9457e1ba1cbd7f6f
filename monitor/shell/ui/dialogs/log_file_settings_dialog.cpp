#include "monitor/shell/ui/dialogs/log_file_settings_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"
#include "monitor/shell/ui/dialogs/log_file_question_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeph::monitor {

namespace {

constexpr int kMidRole = Qt::UserRole;

} // namespace

LogFileSettingsDialog::LogFileSettingsDialog(ProfileFile& profile, Prompter& prompter,
                                             QWidget* parent)
    : QDialog(parent), settings_(profile), prompter_(prompter),
      ownQuestion_(new LogFileQuestionDialog(this)), question_(ownQuestion_) {
    setWindowTitle(QString::fromLatin1(logdialog::kTitle));
    chooseFile_ = [this](const QString& current) {
        // The dialog asks its own question about an existing file.
        return QFileDialog::getSaveFileName(this, QString::fromLatin1(logdialog::kBrowseTitle),
                                            current, qtFileFilter(logdialog::kBrowseFilter),
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    };

    auto* nameLabel = new QLabel(QString::fromLatin1(logdialog::kFileNameLabel), this);
    fileNameEdit_ = new QLineEdit(qText(settings_.fileName()), this);
    fileNameEdit_->setObjectName(QStringLiteral("fileNameEdit"));
    nameLabel->setBuddy(fileNameEdit_);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance(browse->text()) + 24);

    auto* listLabel = new QLabel(QString::fromLatin1(logdialog::kListLabel), this);
    messageList_ = new QListWidget(this);
    messageList_->setObjectName(QStringLiteral("messageList"));
    messageList_->setSelectionMode(QAbstractItemView::MultiSelection);
    listLabel->setBuddy(messageList_);
    for (const LoggableMessage& message : settings_.messages()) {
        auto* item = new QListWidgetItem(qText(message.label), messageList_);
        item->setData(kMidRole, message.mid);
    }
    showSelection();

    auto* selectAll = new QPushButton(QString::fromLatin1(logdialog::kSelectAll), this);
    selectAll->setObjectName(QStringLiteral("selectAllButton"));
    selectAll->setAutoDefault(false);
    auto* selectNone = new QPushButton(QString::fromLatin1(logdialog::kSelectNone), this);
    selectNone->setObjectName(QStringLiteral("selectNoneButton"));
    selectNone->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(fileNameEdit_, 1);
    nameRow->addWidget(browse);
    auto* selectRow = new QHBoxLayout;
    selectRow->addWidget(selectAll);
    selectRow->addWidget(selectNone);
    selectRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(listLabel);
    layout->addWidget(messageList_, 1);
    layout->addLayout(selectRow);
    layout->addWidget(buttons);
    resize(420, 480);

    connect(browse, &QPushButton::clicked, this, &LogFileSettingsDialog::browse);
    connect(selectAll, &QPushButton::clicked, this, [this] {
        settings_.selectAll();
        showSelection();
    });
    connect(selectNone, &QPushButton::clicked, this, [this] {
        settings_.selectNone();
        showSelection();
    });
    connect(messageList_, &QListWidget::itemSelectionChanged, this, [this] {
        for (int row = 0; row < messageList_->count(); ++row) {
            const QListWidgetItem* item = messageList_->item(row);
            settings_.setSelected(static_cast<uint8_t>(item->data(kMidRole).toInt()),
                                  item->isSelected());
        }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &LogFileSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LogFileSettingsDialog::reject);
}

void LogFileSettingsDialog::setFileChooser(FileChooser chooser) {
    chooseFile_ = std::move(chooser);
}

void LogFileSettingsDialog::setQuestion(LogFileQuestion* question) {
    question_ = question != nullptr ? question : ownQuestion_;
}

void LogFileSettingsDialog::showSelection() {
    const QSignalBlocker quiet(messageList_);
    const std::vector<LoggableMessage>& messages = settings_.messages();
    for (int row = 0; row < messageList_->count(); ++row) {
        messageList_->item(row)->setSelected(messages[static_cast<size_t>(row)].selected);
    }
}

void LogFileSettingsDialog::browse() {
    const QString chosen = chooseFile_(fileNameEdit_->text());
    if (!chosen.isEmpty()) {
        fileNameEdit_->setText(chosen);
    }
}

void LogFileSettingsDialog::accept() {
    switch (settings_.accept(fileNameEdit_->text().toStdString(), settings_.selectedMids(),
                             prompter_, *question_)) {
    case LogFileSettings::Outcome::Accepted:
        QDialog::accept();
        break;
    case LogFileSettings::Outcome::StayOpen:
        fileNameEdit_->setFocus();
        break;
    case LogFileSettings::Outcome::Reselect:
        break;
    }
}

} // namespace zeph::monitor
