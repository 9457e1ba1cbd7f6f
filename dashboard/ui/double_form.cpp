#include "dashboard/ui/double_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeph::dashboard {

namespace {

QComboBox* combo(QWidget* parent, const char* name, const std::vector<std::string>& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (const std::string& item : items) {
        box->addItem(QString::fromStdString(item));
    }
    return box;
}

void showText(QComboBox* box, const std::string& text) {
    box->setCurrentIndex(box->findText(QString::fromStdString(text)));
}

} // namespace

DoubleForm::DoubleForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
                       QWidget* parent)
    : ActivatedForm(tracker, parent), core_(main, prompter),
      com1_(combo(this, "cbCom1", DoubleFormCore::portItems())),
      com2_(combo(this, "cbCom2", DoubleFormCore::portItems())),
      speed1_(combo(this, "Bauld1Combo", speedItems())),
      speed2_(combo(this, "Bauld2Combo", speedItems())) {
    setObjectName("DoubleForm");
    setWindowTitle("Double Source");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKComm");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelComm");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Port", this), 0, 1);
    grid->addWidget(new QLabel("Speed", this), 0, 2);
    grid->addWidget(new QLabel("Source 1", this), 1, 0);
    grid->addWidget(com1_, 1, 1);
    grid->addWidget(speed1_, 1, 2);
    grid->addWidget(new QLabel("Source 2", this), 2, 0);
    grid->addWidget(com2_, 2, 1);
    grid->addWidget(speed2_, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // The lists show the numbers themselves; the chosen number is stored.
    connect(com1_, &QComboBox::activated, this,
            [this](int index) { core_.chooseSource1Port(com1_->itemText(index).toInt()); });
    connect(com2_, &QComboBox::activated, this,
            [this](int index) { core_.chooseSource2Port(com2_->itemText(index).toInt()); });
    connect(speed1_, &QComboBox::activated, this, [this](int index) {
        core_.chooseSource1Speed(speed1_->itemText(index).toStdString());
    });
    connect(speed2_, &QComboBox::activated, this, [this](int index) {
        core_.chooseSource2Speed(speed2_->itemText(index).toStdString());
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (core_.ok()) {
            emit finished();
        }
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        core_.cancel();
        emit finished();
    });
}

void DoubleForm::activate() {
    core_.activate();
    showText(com1_, std::to_string(core_.source1Port()));
    showText(com2_, std::to_string(core_.source2Port()));
    showText(speed1_, core_.source1Speed());
    showText(speed2_, core_.source2Speed());
}

void DoubleForm::closeEvent(QCloseEvent* event) {
    core_.cancel();
    event->accept();
    emit finished();
}

} // namespace zeph::dashboard
