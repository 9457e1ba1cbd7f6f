#include "dashboard/ui/double_map_form.h"

#include "dashboard/core/trekdash_core.h"
#include "dashboard/ui/sky_view.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace zeph::dashboard {

namespace {

constexpr int kFormWidth = 9300;
constexpr int kFormHeight = 5400;
constexpr int kPlotHeight = 4600;

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

} // namespace

DoubleMapForm::DoubleMapForm(TrekdashCore& main, ActivationTracker& tracker, QWidget* parent)
    : ActivatedForm(tracker, parent), main_(main),
      drawing_(twipsToPixels(kFormWidth), twipsToPixels(kPlotHeight),
               QImage::Format_ARGB32_Premultiplied),
      core_(timers_, main.state(), [this](const std::vector<DrawOp>& ops) {
          replayOps(drawing_, ops, palette().color(QPalette::WindowText), font());
          update();
      }) {
    setObjectName("DoubleMapForm");
    setWindowTitle("Satellites Map Comparing");
    setFixedSize(twipsToPixels(kFormWidth), twipsToPixels(kFormHeight));
    drawing_.fill(Qt::transparent);
    timers_.setClient(&core_);

    auto* one = new QLabel("Receive 1", this);
    auto* two = new QLabel("Receive 2", this);
    place(one, 300, 300, 1500, 250);
    place(two, 4300, 300, 1500, 250);
    pause_ = new QPushButton("Pause", this);
    pause_->setObjectName("cmdPause");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("CloseComm");
    place(pause_, 5900, 4750, 1400, 420);
    place(close, 7600, 4750, 1400, 420);

    connect(pause_, &QPushButton::clicked, this, [this] {
        core_.pause();
        pause_->setText(QString::fromStdString(core_.pauseCaption()));
    });
    connect(close, &QPushButton::clicked, this, [this] {
        closeComparison();
        emit finished();
    });
}

void DoubleMapForm::activate() {
    core_.activate();
}

void DoubleMapForm::closeComparison() {
    main_.closeDoubleMap();
    core_.close();
}

void DoubleMapForm::closeEvent(QCloseEvent* event) {
    // Closing by the frame is the Close button.
    closeComparison();
    event->accept();
    emit finished();
}

void DoubleMapForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, drawing_);
}

} // namespace zeph::dashboard
