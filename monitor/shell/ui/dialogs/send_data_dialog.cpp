#include "monitor/shell/ui/dialogs/send_data_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

// The file dialogs of Load and Save, both with the command file title and filter.
class FileDialogChooser : public CommandFileChooser {
public:
    explicit FileDialogChooser(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> openName() override {
        return name(QFileDialog::getOpenFileName(parent_, qText(senddata::kFileTitle), QString(),
                                                 qtFileFilter(senddata::kFileFilter)));
    }
    std::optional<std::string> saveName() override {
        return name(QFileDialog::getSaveFileName(parent_, qText(senddata::kFileTitle), QString(),
                                                 qtFileFilter(senddata::kFileFilter)));
    }

private:
    static std::optional<std::string> name(const QString& chosen) {
        if (chosen.isEmpty()) {
            return std::nullopt;
        }
        return chosen.toStdString();
    }
    QWidget* parent_;
};

} // namespace

SendDataDialog::SendDataDialog(SendDataCommand& command, CommandOutput& output, QWidget* parent)
    : QDialog(parent), command_(command), output_(output),
      chooser_(std::make_unique<FileDialogChooser>(this)), text_(new QPlainTextEdit(this)),
      wrappers_(new QButtonGroup(this)) {
    setWindowTitle(qText(senddata::kCaption));
    text_->setObjectName(QStringLiteral("commandText"));
    text_->setPlainText(qText(command_.text()));

    auto* group = new QGroupBox(qText(senddata::kWrapperGroup), this);
    auto* groupLayout = new QVBoxLayout(group);
    const std::pair<const char*, const char*> radios[] = {
        {senddata::kZephBinary, "zephBinaryRadio"},
        {senddata::kNmea, "nmeaRadio"},
        {senddata::kNone, "noneRadio"}};
    int id = 0;
    for (const auto& [label, name] : radios) {
        auto* radio = new QRadioButton(qText(label), group);
        radio->setObjectName(QString::fromLatin1(name));
        wrappers_->addButton(radio, id++);
        groupLayout->addWidget(radio);
    }
    wrappers_->button(static_cast<int>(command_.wrapper()))->setChecked(true);

    QPushButton* load = namedButton(senddata::kLoad, "loadButton", this);
    QPushButton* save = namedButton(senddata::kSave, "saveButton", this);
    QPushButton* send = namedButton(senddata::kSend, "sendButton", this);
    QPushButton* cancel = namedButton(senddata::kCancel, "cancelButton", this);
    connect(load, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> loaded = command_.load(*chooser_)) {
            text_->setPlainText(qText(*loaded));
        }
    });
    connect(save, &QPushButton::clicked, this,
            [this] { command_.save(text_->toPlainText().toStdString(), *chooser_); });
    connect(send, &QPushButton::clicked, this, &SendDataDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SendDataDialog::reject);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {send, cancel, load, save}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(qText(senddata::kHint), this));
    left->addWidget(text_);
    left->addWidget(group);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(520, 300);
}

SendDataDialog::~SendDataDialog() = default;

void SendDataDialog::setChooser(std::unique_ptr<CommandFileChooser> chooser) {
    chooser_ = std::move(chooser);
}

SendWrapper SendDataDialog::wrapper() const {
    return static_cast<SendWrapper>(wrappers_->checkedId());
}

void SendDataDialog::accept() {
    if (command_.send(text_->toPlainText().toStdString(), wrapper(), output_)) {
        QDialog::accept();
    }
}

} // namespace zeph::monitor
