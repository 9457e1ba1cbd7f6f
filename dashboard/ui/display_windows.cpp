#include "dashboard/ui/display_windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace zeph::dashboard {

namespace {

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(220);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString text(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The about window's two pictures: the earth with its grid, and a satellite over it.
QPixmap globePicture() {
    QPixmap picture(96, 96);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 96, 192));
    p.setPen(QPen(QColor(0, 48, 128), 2));
    p.drawEllipse(QRectF(8, 8, 80, 80));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(170, 220, 255), 1));
    for (const double w : {20.0, 50.0}) {
        p.drawEllipse(QRectF(48 - w / 2 * 80 / 50, 8, w * 80 / 50, 80));
    }
    for (const double y : {28.0, 48.0, 68.0}) {
        const double half = std::sqrt(40.0 * 40.0 - (y - 48) * (y - 48));
        p.drawLine(QPointF(48 - half, y), QPointF(48 + half, y));
    }
    p.drawLine(QPointF(48, 8), QPointF(48, 88));
    return picture;
}

QPixmap satellitePicture() {
    QPixmap picture(96, 96);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(48, 48);
    p.rotate(-30);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(40, 70, 160));
    p.drawRect(QRectF(-44, -10, 28, 20));
    p.drawRect(QRectF(16, -10, 28, 20));
    p.setBrush(QColor(200, 170, 60));
    p.drawRect(QRectF(-12, -14, 24, 28));
    p.drawLine(QPointF(-16, 0), QPointF(-12, 0));
    p.drawLine(QPointF(12, 0), QPointF(16, 0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-8, 14, 16, 12), 0, 180 * 16);
    return picture;
}

} // namespace

StateForm::StateForm(ActivationTracker& tracker, QWidget* parent)
    : QWidget(parent, Qt::Window), tracker_(tracker) {}

bool StateForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && tracker_.enter(this)) {
        activated();
    } else if (event->type() == QEvent::WindowDeactivate) {
        // Only another window of the program takes the activation away; going to another
        // program leaves the window as it was.
        const QWidget* next = QApplication::activeWindow();
        if (next != nullptr && next != this) {
            deactivated();
        }
    }
    return QWidget::event(event);
}

void StateForm::follow(QTimer& timer, int intervalMs) {
    if (intervalMs > 0) {
        // A running timer keeps its count: restarting it on every look would starve it.
        if (!timer.isActive() || timer.interval() != intervalMs) {
            timer.start(intervalMs);
        }
    } else {
        timer.stop();
    }
}

TimeForm::TimeForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent)
    : StateForm(tracker, parent), state_(state), date_(valueLabel("DateLabel", this)),
      time_(valueLabel("TimeLabel", this)) {
    setObjectName("TimeForm");
    setWindowTitle("Now Time");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Date", this), 0, 0);
    grid->addWidget(date_, 0, 1);
    grid->addWidget(new QLabel("UTC", this), 1, 0);
    grid->addWidget(time_, 1, 1);
    connect(&NowTimer, &QTimer::timeout, this, &TimeForm::tick);
}

void TimeForm::showEvent(QShowEvent* event) {
    if (core_.timerMs() == 0) {
        core_.shown(); // from the first showing on, whether shown or hidden
        follow(NowTimer, core_.timerMs());
    }
    StateForm::showEvent(event);
}

void TimeForm::tick() {
    core_.tick(state_);
    date_->setText(text(core_.date()));
    time_->setText(text(core_.time()));
}

PositionForm::PositionForm(const ReceiverState& state, ActivationTracker& tracker, QWidget* parent)
    : StateForm(tracker, parent), state_(state), latitude_(valueLabel("LatitudeLabel", this)),
      longitude_(valueLabel("LongitudeLabel", this)), altitude_(valueLabel("AltitudeLabel", this)) {
    setObjectName("PositionForm");
    setWindowTitle("Positiion");
    auto* format = new QPushButton("Format Change", this);
    format->setObjectName("FormatComm");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Latitude", this), 0, 0);
    grid->addWidget(latitude_, 0, 1);
    grid->addWidget(new QLabel("Longitude", this), 1, 0);
    grid->addWidget(longitude_, 1, 1);
    grid->addWidget(new QLabel("Altitude", this), 2, 0);
    grid->addWidget(altitude_, 2, 1);
    grid->addWidget(format, 3, 1, Qt::AlignRight);
    connect(format, &QPushButton::clicked, this, [this] { core_.FormatComm(); });
    connect(&PositionTimer, &QTimer::timeout, this, &PositionForm::tick);
}

void PositionForm::activated() {
    core_.activate();
    follow(PositionTimer, core_.timerMs());
}

void PositionForm::deactivated() {
    core_.deactivate();
    follow(PositionTimer, core_.timerMs());
}

void PositionForm::tick() {
    core_.tick(state_);
    latitude_->setText(text(core_.latitude()));
    longitude_->setText(text(core_.longitude()));
    altitude_->setText(text(core_.altitude()));
}

PrecisionForm::PrecisionForm(const ReceiverState& state, ActivationTracker& tracker,
                             QWidget* parent)
    : StateForm(tracker, parent), state_(state) {
    setObjectName("PrecisionForm");
    setWindowTitle("Precision");
    auto* frame = new QGroupBox("Dilution of Precision", this);
    pdop_ = valueLabel("PDOPLabel", frame);
    hdop_ = valueLabel("HDOPLabel", frame);
    vdop_ = valueLabel("VDOPLabel", frame);
    for (QLabel* value : {pdop_, hdop_, vdop_}) {
        value->setMinimumWidth(100);
    }
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel("P-DOP", frame), 0, 0);
    grid->addWidget(pdop_, 0, 1);
    grid->addWidget(new QLabel("H-DOP", frame), 1, 0);
    grid->addWidget(hdop_, 1, 1);
    grid->addWidget(new QLabel("V-DOP", frame), 2, 0);
    grid->addWidget(vdop_, 2, 1);
    (new QVBoxLayout(this))->addWidget(frame);
    connect(&PrecisionTimer, &QTimer::timeout, this, &PrecisionForm::tick);
}

void PrecisionForm::activated() {
    core_.activate();
    follow(PrecisionTimer, core_.timerMs());
}

void PrecisionForm::deactivated() {
    core_.deactivate();
    follow(PrecisionTimer, core_.timerMs());
}

void PrecisionForm::tick() {
    core_.tick(state_);
    pdop_->setText(text(core_.pdop()));
    hdop_->setText(text(core_.hdop()));
    vdop_->setText(text(core_.vdop()));
}

StatusForm::StatusForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent)
    : StateForm(tracker, parent), state_(state), status_(valueLabel("StatusLabel", this)),
      messages_(new QLineEdit(this)), fixIndicator_(valueLabel("lblFixInd", this)) {
    setObjectName("StatusForm");
    setWindowTitle("Status");
    messages_->setObjectName("MessageText");
    messages_->setReadOnly(true);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Fix", this), 0, 0);
    grid->addWidget(status_, 0, 1);
    grid->addWidget(new QLabel("Capture Message Sort", this), 1, 0, 1, 2);
    grid->addWidget(messages_, 2, 0, 1, 2);
    grid->addWidget(fixIndicator_, 3, 0, 1, 2);
    connect(&StatusTimer, &QTimer::timeout, this, &StatusForm::tick);
}

void StatusForm::activated() {
    core_.activate();
    follow(StatusTimer, core_.timerMs());
    messages_->setText(text(core_.messages()));
}

void StatusForm::deactivated() {
    core_.deactivate();
    follow(StatusTimer, core_.timerMs());
}

void StatusForm::tick() {
    core_.tick(state_);
    status_->setText(text(core_.status()));
    messages_->setText(text(core_.messages()));
    fixIndicator_->setText(text(core_.fixIndicator()));
    follow(StatusTimer, core_.timerMs()); // a full list stops its own timer
}

DisplayForm::DisplayForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent)
    : StateForm(tracker, parent), state_(state), display_(new QPlainTextEdit(this)),
      status_(new QLineEdit(this)), action_(new QPushButton("Action", this)),
      clear_(new QPushButton("Clear Display", this)) {
    setObjectName("DisplayForm");
    setWindowTitle("NMEA message");
    display_->setObjectName("DisplayText");
    display_->setReadOnly(true);
    display_->setLineWrapMode(QPlainTextEdit::NoWrap);
    display_->setFont(QFont("Monospace", 9));
    display_->setMinimumSize(520, 260);
    status_->setObjectName("StatusText");
    status_->setReadOnly(true);
    action_->setObjectName("ActComm");
    clear_->setObjectName("ClearComm");
    auto* stop = new QPushButton("Stop", this);
    stop->setObjectName("StopComm");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("CloseComm");

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel("Present Status", this));
    statusRow->addWidget(status_, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {action_, stop, clear_, close}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(display_, 1);
    layout->addLayout(statusRow);
    layout->addLayout(buttons);

    connect(action_, &QPushButton::clicked, this, [this] {
        core_.ActComm();
        sync();
    });
    connect(stop, &QPushButton::clicked, this, [this] {
        core_.StopComm();
        sync();
    });
    connect(clear_, &QPushButton::clicked, this, [this] {
        core_.ClearComm();
        sync();
    });
    connect(close, &QPushButton::clicked, this, [this] {
        core_.CloseComm();
        sync();
    });
    connect(&ActTimer, &QTimer::timeout, this, [this] {
        core_.actTick(state_);
        sync();
    });
    connect(&CartoonTimer, &QTimer::timeout, this, [this] {
        core_.cartoonTick();
        sync();
    });
}

void DisplayForm::activated() {
    core_.setVisible(true);
    core_.ActComm();
    sync();
}

void DisplayForm::deactivated() {
    core_.deactivate();
    sync();
}

void DisplayForm::closeEvent(QCloseEvent* event) {
    core_.CloseComm();
    sync();
    event->accept();
}

void DisplayForm::sync() {
    follow(ActTimer, core_.actTimerMs());
    follow(CartoonTimer, core_.cartoonTimerMs());
    action_->setEnabled(core_.actionEnabled());
    clear_->setEnabled(core_.clearEnabled());
    status_->setText(text(core_.statusText()));
    const std::string& shown = core_.displayText();
    if (shown.size() != shownSize_) {
        // The text only grows between clears: a new size is new text.
        display_->setPlainText(text(shown));
        shownSize_ = shown.size();
        display_->moveCursor(QTextCursor::End);
        display_->ensureCursorVisible();
    }
    if (!core_.visible() && isVisible()) {
        hide();
    }
}

InformationForm::InformationForm(ActivationTracker& tracker, QWidget* parent)
    : StateForm(tracker, parent) {
    setObjectName("InformationForm");
    setWindowTitle("About...");
    auto* globe = new QLabel(this);
    globe->setObjectName("GlobePicture");
    globe->setPixmap(globePicture());
    auto* satellite = new QLabel(this);
    satellite->setObjectName("SatellitePicture");
    satellite->setPixmap(satellitePicture());
    auto* version = new QLabel(kAboutText, this);
    version->setObjectName("VersionLabel");
    QFont big = version->font();
    big.setPointSize(big.pointSize() + 4);
    version->setFont(big);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(globe);
    layout->addWidget(version);
    layout->addWidget(satellite);
}

DisplayWindows::DisplayWindows(ReceiverState& state, ActivationTracker& tracker, QWidget* owner)
    : state_(state), tracker_(tracker), owner_(owner) {}

DisplayWindows::~DisplayWindows() {
    delete time_;
    delete position_;
    delete precision_;
    delete status_;
    delete display_;
    delete information_;
}

template <typename Form, typename Make> void DisplayWindows::show(Form*& form, Make make) {
    if (form == nullptr) {
        form = make();
    }
    form->show();
    form->raise();
    form->activateWindow();
}

void DisplayWindows::addTo(QMenu* view) {
    auto entry = [&](QMenu* menu, const char* caption, const char* name, auto open) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        QObject::connect(action, &QAction::triggered, owner_, open);
    };
    entry(view, "Time", "mnuTime",
          [this] { show(time_, [this] { return new TimeForm(state_, tracker_, owner_); }); });
    entry(view, "Position", "mnuPosition", [this] {
        show(position_, [this] { return new PositionForm(state_, tracker_, owner_); });
    });
    QMenu* precision = view->addMenu("Precision");
    precision->setObjectName("mnuPrecision");
    entry(precision, "Normal", "mnuNormal", [this] {
        show(precision_, [this] { return new PrecisionForm(state_, tracker_, owner_); });
    });
    entry(view, "Status", "mnuStatus",
          [this] { show(status_, [this] { return new StatusForm(state_, tracker_, owner_); }); });
    entry(view, "Terminal", "mnuTermi",
          [this] { show(display_, [this] { return new DisplayForm(state_, tracker_, owner_); }); });
    entry(view, "Information", "mnuInfor",
          [this] { show(information_, [this] { return new InformationForm(tracker_, owner_); }); });
}

} // namespace zeph::dashboard
