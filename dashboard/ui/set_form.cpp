#include "dashboard/ui/set_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeph::dashboard {

namespace {

QStringList toList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << QString::fromStdString(item);
    }
    return list;
}

} // namespace

SetForm::SetForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
                 QWidget* parent)
    : ActivatedForm(tracker, parent), core_(main, prompter), com_(new QComboBox(this)),
      speed_(new QComboBox(this)), ok_(new QPushButton("OK", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setObjectName("SetForm");
    setWindowTitle("Single Source");
    com_->setObjectName("COMCombo");
    speed_->setObjectName("BauldCombo");
    ok_->setObjectName("OKComm");
    cancel_->setObjectName("CancelComm");
    com_->addItems(toList(SetFormCore::comItems()));
    speed_->addItems(toList(speedItems()));

    auto* fields = new QFormLayout;
    fields->addRow("Port", com_);
    fields->addRow("Speed", speed_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(com_, &QComboBox::activated, this, [this](int index) { core_.choosePort(index); });
    connect(speed_, &QComboBox::activated, this,
            [this](int index) { core_.chooseSpeed(speed_->itemText(index).toStdString()); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (core_.ok()) {
            emit finished();
        }
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (core_.cancel()) {
            emit finished();
        }
    });
}

void SetForm::activate() {
    core_.activate();
    com_->setCurrentIndex(core_.comIndex());
    speed_->setCurrentIndex(speed_->findText(QString::fromStdString(core_.speed())));
    cancel_->setEnabled(core_.cancelEnabled());
}

void SetForm::closeEvent(QCloseEvent* event) {
    if (!core_.cancel()) {
        event->ignore();
        return;
    }
    event->accept();
    emit finished();
}

} // namespace zeph::dashboard
