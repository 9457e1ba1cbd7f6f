#include "dashboard/ui/frm_sel_nmea.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::dashboard {

namespace {

constexpr std::array<const char*, kSelSentences> kNames = {"GGA", "GLL", "GSA",
                                                           "GSV", "RMC", "VTG"};

} // namespace

frmSelNmea::frmSelNmea(PortObject& port, const SettingsFile& settingsFile, Prompter& prompter,
                       ActivationTracker& tracker, QWidget* parent)
    : QWidget(parent, Qt::Dialog), core_(port, prompter), settingsFile_(settingsFile),
      tracker_(tracker) {
    setObjectName("frmSelNmea");
    setWindowTitle("Select Nmea");
    auto* grid = new QGridLayout(this);
    for (std::size_t i = 0; i < kSelSentences; ++i) {
        const QString name = kNames[i];
        const auto sentence = static_cast<NmeaSentence>(i);
        const int line = static_cast<int>(i);
        Row& row = rows_[i];
        row.enable = new QRadioButton("Enable", this);
        row.enable->setObjectName("op" + name + "enable");
        row.disable = new QRadioButton("Disable", this);
        row.disable->setObjectName("op" + name + "disable");
        auto* pair = new QButtonGroup(this);
        pair->addButton(row.enable);
        pair->addButton(row.disable);
        row.rate = new QComboBox(this);
        row.rate->setObjectName("cb" + name + "time");
        // The items only come when the window is first shown, after its size is settled: the
        // list is made wide enough for them from the start.
        row.rate->setMinimumContentsLength(static_cast<int>(rateItems().front().size()));
        row.rate->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        auto* send = new QPushButton("Send", this);
        send->setObjectName("cmd" + name);

        grid->addWidget(new QLabel(name, this), line, 0);
        grid->addWidget(row.enable, line, 1);
        grid->addWidget(row.disable, line, 2);
        grid->addWidget(row.rate, line, 3);
        grid->addWidget(send, line, 4);

        connect(row.enable, &QRadioButton::clicked, this, [this, sentence, &row] {
            core_.setEnabled(sentence, true);
            row.rate->setEnabled(core_.rateListEnabled(sentence));
        });
        connect(row.disable, &QRadioButton::clicked, this, [this, sentence, &row] {
            core_.setEnabled(sentence, false);
            row.rate->setEnabled(core_.rateListEnabled(sentence));
        });
        connect(row.rate, &QComboBox::activated, this,
                [this, sentence](int index) { core_.chooseRate(sentence, index); });
        connect(send, &QPushButton::clicked, this, [this, sentence] { core_.send(sentence); });
    }
    const int last = static_cast<int>(kSelSentences);
    baud_ = new QComboBox(this);
    baud_->setObjectName("cbBaudRate");
    baud_->setMinimumContentsLength(static_cast<int>(selBaudItems().back().size()));
    baud_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* sendBaud = new QPushButton("Send", this);
    sendBaud->setObjectName("cmdBaudRate");
    grid->addWidget(new QLabel("Baud rate", this), last, 0);
    grid->addWidget(baud_, last, 3);
    grid->addWidget(sendBaud, last, 4);
    connect(baud_, &QComboBox::activated, this, [this](int index) { core_.chooseBaud(index); });
    connect(sendBaud, &QPushButton::clicked, this, [this] { core_.sendBaudRate(); });
}

bool frmSelNmea::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        tracker_.enter(this); // the main window is activated again when it is next active
    }
    return QWidget::event(event);
}

void frmSelNmea::showEvent(QShowEvent* event) {
    tracker_.enter(this);
    if (!loaded_) {
        load();
    }
    QWidget::showEvent(event);
}

void frmSelNmea::load() {
    loaded_ = true;
    // The port comes from the record as it is now; later changes in SetForm do not reach it.
    core_.load(settingsFile_.read());
    for (std::size_t i = 0; i < kSelSentences; ++i) {
        rows_[i].enable->setChecked(core_.enabled(static_cast<NmeaSentence>(i)));
        rows_[i].rate->setEnabled(true);
    }
    subNmeaComboInit();
}

void frmSelNmea::subNmeaComboInit() {
    for (Row& row : rows_) {
        for (const std::string& item : rateItems()) {
            row.rate->addItem(QString::fromStdString(item));
        }
        row.rate->setCurrentIndex(0);
    }
    for (const std::string& item : selBaudItems()) {
        baud_->addItem(QString::fromStdString(item));
    }
    baud_->setCurrentIndex(0);
}

} // namespace zeph::dashboard
