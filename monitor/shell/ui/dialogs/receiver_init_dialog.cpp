#include "monitor/shell/ui/dialogs/receiver_init_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

QLineEdit* edit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(110);
    return e;
}

constexpr const char* kModeNames[] = {"hotStartRadio", "warmNoInitRadio", "warmInitRadio",
                                      "coldStartRadio", "factoryResetRadio"};

} // namespace

ReceiverInitDialog::ReceiverInitDialog(const ReceiverInitSettings& stored, Prompter& prompter,
                                       QWidget* parent)
    : QDialog(parent), prompter_(prompter), x_(edit("xEdit", this)), y_(edit("yEdit", this)),
      z_(edit("zEdit", this)), clockOffset_(edit("clockOffsetEdit", this)),
      usePcTime_(new QCheckBox(qText(initdialog::kUsePcTime), this)),
      utcOffset_(edit("utcOffsetEdit", this)), week_(edit("weekEdit", this)),
      timeOfWeek_(edit("timeOfWeekEdit", this)), channels_(edit("channelsEdit", this)),
      modes_(new QButtonGroup(this)),
      navLibData_(new QCheckBox(qText(initdialog::kNavLibData), this)),
      debugData_(new QCheckBox(qText(initdialog::kDebugData), this)), period_(new QComboBox(this)),
      load_(namedButton(initdialog::kLoad, "loadButton", this)) {
    setWindowTitle(qText(initdialog::kCaption));
    chooser_ = [this]() -> std::optional<std::string> {
        const QString name = QFileDialog::getOpenFileName(
            this, qText(kPositionFileTitle), QString(), qtFileFilter(kPositionFileFilter));
        if (name.isEmpty()) {
            return std::nullopt;
        }
        return name.toStdString();
    };
    usePcTime_->setObjectName(QStringLiteral("usePcTimeCheck"));
    navLibData_->setObjectName(QStringLiteral("navLibDataCheck"));
    debugData_->setObjectName(QStringLiteral("debugDataCheck"));
    period_->setObjectName(QStringLiteral("periodCombo"));
    period_->setEditable(true);
    period_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* p : initdialog::kPeriods) {
        period_->addItem(QString::fromLatin1(p));
    }

    // Position and time, in form order.
    auto* form = new QGridLayout;
    const auto label = [this](const char* text) { return new QLabel(qText(text), this); };
    QLabel* position = label(initdialog::kPosition);
    form->addWidget(position, 0, 0);
    form->addWidget(load_, 0, 1, Qt::AlignLeft);
    const std::pair<const char*, QLineEdit*> positionRows[] = {
        {initdialog::kX, x_},
        {initdialog::kY, y_},
        {initdialog::kZ, z_},
        {initdialog::kClockOffset, clockOffset_}};
    positionLabels_.push_back(position);
    int row = 1;
    for (const auto& [text, field] : positionRows) {
        QLabel* l = label(text);
        positionLabels_.push_back(l);
        form->addWidget(l, row, 0);
        form->addWidget(field, row++, 1);
    }
    form->addWidget(usePcTime_, row++, 0, 1, 2);
    QLabel* utc = label(initdialog::kUtcOffset);
    utcLabel_ = utc;
    form->addWidget(utc, row, 0);
    form->addWidget(utcOffset_, row++, 1);
    QLabel* week = label(initdialog::kWeek);
    QLabel* tow = label(initdialog::kTimeOfWeek);
    timeLabels_ = {week, tow};
    form->addWidget(week, row, 0);
    form->addWidget(week_, row++, 1);
    form->addWidget(tow, row, 0);
    form->addWidget(timeOfWeek_, row++, 1);
    QLabel* channels = label(initdialog::kChannels);
    positionLabels_.push_back(channels);
    form->addWidget(channels, row, 0);
    form->addWidget(channels_, row++, 1);

    auto* modeGroup = new QGroupBox(qText(initdialog::kResetGroup), this);
    auto* modeLayout = new QVBoxLayout(modeGroup);
    for (size_t i = 0; i < initdialog::kResetModes.size(); ++i) {
        auto* radio = new QRadioButton(qText(initdialog::kResetModes[i]), modeGroup);
        radio->setObjectName(QString::fromLatin1(kModeNames[i]));
        modes_->addButton(radio, initdialog::kResetCodes[i]);
        modeLayout->addWidget(radio);
    }
    auto* messages = new QGroupBox(qText(initdialog::kMessagesGroup), this);
    auto* messagesLayout = new QVBoxLayout(messages);
    messagesLayout->addWidget(navLibData_);
    messagesLayout->addWidget(debugData_);
    auto* periodic = new QGroupBox(qText(initdialog::kPeriodGroup), this);
    auto* periodicLayout = new QVBoxLayout(periodic);
    periodicLayout->addWidget(label(initdialog::kPeriodLabel));
    periodicLayout->addWidget(period_);

    QPushButton* send = namedButton(initdialog::kSend, "sendButton", this);
    QPushButton* cancel = namedButton(initdialog::kCancel, "cancelButton", this);
    send->setDefault(true);
    connect(send, &QPushButton::clicked, this, &ReceiverInitDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ReceiverInitDialog::reject);
    connect(load_, &QPushButton::clicked, this, &ReceiverInitDialog::loadPosition);
    connect(modes_, &QButtonGroup::idClicked, this, [this] { applyEnabling(); });
    connect(usePcTime_, &QCheckBox::clicked, this, [this] { applyEnabling(); });

    auto* right = new QVBoxLayout;
    right->addWidget(modeGroup);
    right->addWidget(messages);
    right->addWidget(periodic);
    right->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(send);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(right);
    layout->addLayout(buttons);

    showFields(receiverInitFields(stored));
    applyEnabling();
}

void ReceiverInitDialog::showFields(const ReceiverInitFields& f) {
    x_->setText(qText(f.x));
    y_->setText(qText(f.y));
    z_->setText(qText(f.z));
    clockOffset_->setText(qText(f.clockOffset));
    usePcTime_->setChecked(f.usePcTime);
    utcOffset_->setText(qText(f.utcOffset));
    week_->setText(qText(f.week));
    timeOfWeek_->setText(qText(f.timeOfWeek));
    channels_->setText(qText(f.channels));
    // A mode no radio stands for shows none and is kept.
    modes_->setExclusive(false);
    for (QAbstractButton* b : modes_->buttons()) {
        b->setChecked(modes_->id(b) == f.resetMode);
    }
    modes_->setExclusive(true);
    unknownMode_ = f.resetMode;
    navLibData_->setChecked(f.navLibData);
    debugData_->setChecked(f.debugData);
    period_->setEditText(qText(f.period));
}

ReceiverInitFields ReceiverInitDialog::fields() const {
    ReceiverInitFields f;
    f.x = x_->text().toStdString();
    f.y = y_->text().toStdString();
    f.z = z_->text().toStdString();
    f.clockOffset = clockOffset_->text().toStdString();
    f.usePcTime = usePcTime_->isChecked();
    f.utcOffset = utcOffset_->text().toStdString();
    f.week = week_->text().toStdString();
    f.timeOfWeek = timeOfWeek_->text().toStdString();
    f.channels = channels_->text().toStdString();
    f.resetMode = modes_->checkedId() >= 0 ? modes_->checkedId() : unknownMode_;
    f.navLibData = navLibData_->isChecked();
    f.debugData = debugData_->isChecked();
    f.period = period_->currentText().toStdString();
    return f;
}

void ReceiverInitDialog::applyEnabling() {
    const ReceiverInitEnabling on = receiverInitEnabling(fields());
    for (QWidget* w : positionLabels_) {
        w->setEnabled(on.position);
    }
    for (QWidget* w :
         {static_cast<QWidget*>(load_), static_cast<QWidget*>(x_), static_cast<QWidget*>(y_),
          static_cast<QWidget*>(z_), static_cast<QWidget*>(clockOffset_),
          static_cast<QWidget*>(channels_), static_cast<QWidget*>(usePcTime_)}) {
        w->setEnabled(on.position);
    }
    for (QWidget* w : timeLabels_) {
        w->setEnabled(on.weekAndTow);
    }
    week_->setEnabled(on.weekAndTow);
    timeOfWeek_->setEnabled(on.weekAndTow);
    utcLabel_->setEnabled(on.utcOffset);
    utcOffset_->setEnabled(on.utcOffset);
    navLibData_->setEnabled(on.messageChecks);
    debugData_->setEnabled(on.messageChecks);
}

void ReceiverInitDialog::loadPosition() {
    std::optional<std::string> name = chooser_();
    while (name && name->empty()) { // an empty name asks again
        name = chooser_();
    }
    if (!name) {
        return;
    }
    const PositionFileResult read = readPositionFile(*name);
    if (!read.position) {
        prompter_.tell(read.error);
        return;
    }
    ReceiverInitFields f = fields();
    applyPosition(f, *read.position);
    showFields(f);
}

void ReceiverInitDialog::accept() {
    const ReceiverInitSend sent = receiverInitSend(fields());
    if (!sent.accepted) {
        prompter_.tell(sent.refusal);
        return;
    }
    accepted_ = sent.accepted;
    QDialog::accept();
}

} // namespace zeph::monitor
