#include "monitor/shell/ui/dialogs/low_power_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

template <size_t N>
QComboBox* list(const char* name, const std::array<const char*, N>& entries, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    for (const char* e : entries) {
        c->addItem(QString::fromLatin1(e));
    }
    return c;
}

QLineEdit* edit(const char* name, const std::string& text, QWidget* parent) {
    auto* e = new QLineEdit(qText(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

constexpr const char* kModeNames[] = {"continuousRadio", "lullcycleRadio", "wakeOnDemandRadio"};

} // namespace

LowPowerDialog::LowPowerDialog(int targetSwClass, Prompter& prompter, QWidget* parent)
    : QDialog(parent), targetSwClass_(targetSwClass), prompter_(prompter),
      modes_(new QButtonGroup(this)), adaptive_(new QCheckBox(qText(lowpower::kAdaptive), this)),
      updateRate_(list("updateRateCombo", lowpower::kUpdateRates, this)),
      onTime_(list("onTimeCombo", lowpower::kOnTimes, this)),
      maxOffTime_(edit("maxOffTimeEdit", LowPowerFields{}.maxOffTime, this)),
      maxSearchTime_(edit("maxSearchTimeEdit", LowPowerFields{}.maxSearchTime, this)),
      period_(edit("periodEdit", LowPowerFields{}.period, this)),
      invalid_(new QGroupBox(qText(lowpower::kInvalidGroup), this)) {
    setWindowTitle(qText(lowpower::kCaption));
    adaptive_->setObjectName(QStringLiteral("adaptiveCheck"));
    invalid_->setObjectName(QStringLiteral("invalidSettingGroup"));
    // "&&" is how the resource writes a plain '&'.
    auto* invalidText = new QLabel(
        qText(lowpower::kInvalidText).replace(QStringLiteral("&&"), QStringLiteral("&")), invalid_);
    invalidText->setAlignment(Qt::AlignCenter);
    (new QVBoxLayout(invalid_))->addWidget(invalidText);

    auto* modeGroup = new QGroupBox(qText(lowpower::kModeGroup), this);
    auto* modeLayout = new QVBoxLayout(modeGroup);
    for (size_t i = 0; i < lowpower::kModes.size(); ++i) {
        auto* radio = new QRadioButton(qText(lowpower::kModes[i]), modeGroup);
        radio->setObjectName(QString::fromLatin1(kModeNames[i]));
        modes_->addButton(radio, static_cast<int>(i));
        modeLayout->addWidget(radio);
    }
    modes_->button(LowPowerFields{}.mode)->setChecked(true);
    modeLayout->addWidget(adaptive_);

    auto* form = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {{lowpower::kUpdateRate, updateRate_},
                                                     {lowpower::kOnTime, onTime_},
                                                     {lowpower::kMaxOffTime, maxOffTime_},
                                                     {lowpower::kMaxSearchTime, maxSearchTime_},
                                                     {lowpower::kPeriod, period_}};
    int row = 0;
    for (const auto& [text, field] : rows) {
        auto* l = new QLabel(qText(text), this);
        if (field == period_) {
            periodLabel_ = l;
        } else {
            timingLabels_.push_back(l);
        }
        form->addWidget(l, row, 0);
        form->addWidget(field, row++, 1);
    }
    form->setRowStretch(row, 1); // the rows stay together when the group below the modes shows

    QPushButton* send = namedButton(lowpower::kSend, "sendButton", this);
    QPushButton* cancel = namedButton(lowpower::kCancel, "cancelButton", this);
    send->setDefault(true);
    connect(send, &QPushButton::clicked, this, &LowPowerDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &LowPowerDialog::reject);
    connect(modes_, &QButtonGroup::idClicked, this, [this] { applyEnabling(); });

    auto* left = new QVBoxLayout;
    left->addWidget(modeGroup);
    left->addWidget(invalid_);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(send);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(form);
    layout->addLayout(buttons);
    applyEnabling();
}

LowPowerFields LowPowerDialog::fields() const {
    LowPowerFields f;
    f.mode = modes_->checkedId();
    f.adaptive = adaptive_->isChecked();
    f.updateRate = updateRate_->currentText().toStdString();
    f.onTime = onTime_->currentText().toStdString();
    f.maxOffTime = maxOffTime_->text().toStdString();
    f.maxSearchTime = maxSearchTime_->text().toStdString();
    f.period = period_->text().toStdString();
    f.listOnly = listOnly_;
    return f;
}

void LowPowerDialog::applyEnabling() {
    const LowPowerEnabling on = lowPowerEnabling(fields(), targetSwClass_);
    for (QWidget* w : timingLabels_) {
        w->setEnabled(on.timing);
    }
    for (QWidget* w : {static_cast<QWidget*>(updateRate_), static_cast<QWidget*>(onTime_),
                       static_cast<QWidget*>(maxOffTime_), static_cast<QWidget*>(maxSearchTime_)}) {
        w->setEnabled(on.timing);
    }
    adaptive_->setEnabled(on.adaptive);
    periodLabel_->setEnabled(on.period);
    period_->setEnabled(on.period);
    invalid_->setVisible(on.invalidGroup);
}

void LowPowerDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        listOnly_ = !listOnly_;
        applyEnabling();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void LowPowerDialog::accept() {
    LowPowerSend sent = lowPowerSend(fields());
    if (sent.refusal) {
        prompter_.tell(*sent.refusal);
        return;
    }
    sent_ = std::move(sent);
    QDialog::accept();
}

} // namespace zeph::monitor
