#include "dashboard/ui/world_map_form.h"

#include "dashboard/ui/sky_view.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace zeph::dashboard {

namespace {

constexpr int kFormWidth = 9045;
constexpr int kFormHeight = 6900;
constexpr int kMouseMarkTwips = 120;

// A circle shape: an outline that lets the mouse through to what lies under it.
class CircleShape : public QWidget {
public:
    CircleShape(QColor color, QWidget* parent) : QWidget(parent), color_(color) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(color_, 2));
        p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    QColor color_;
};

QLabel* textLabel(QWidget* parent, const char* name, int left, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(4000),
                       twipsToPixels(300));
    return label;
}

} // namespace

WorldMapForm::WorldMapForm(const ReceiverState& state, QWidget* parent)
    : QWidget(parent, Qt::Dialog), state_(state) {
    setObjectName("WorldMapForm");
    setWindowTitle("Now Position");
    setFixedSize(twipsToPixels(kFormWidth), twipsToPixels(kFormHeight));
    setMouseTracking(true);

    auto* frame = new QGroupBox("Looking for position of globe by mouse", this);
    frame->setGeometry(twipsToPixels(kMapFrameLeft), twipsToPixels(kMapFrameTop),
                       twipsToPixels(kMapWidthTwips + 2 * kMapInsetTwips),
                       twipsToPixels(kMapHeightTwips + 2 * kMapInsetTwips));
    auto* picture = new QLabel(frame);
    picture->setObjectName("MapPicture");
    picture->setPixmap(QPixmap(":/dashboard/map/world_map.png"));
    picture->setGeometry(twipsToPixels(kMapInsetTwips), twipsToPixels(kMapInsetTwips),
                         twipsToPixels(kMapWidthTwips), twipsToPixels(kMapHeightTwips));
    picture->setMouseTracking(true);
    picture->installEventFilter(this);
    picture_ = picture;
    frame->setMouseTracking(true);

    const int textTop = kMapFrameTop + kMapHeightTwips + 2 * kMapInsetTwips + 150;
    lonM_ = textLabel(this, "lblLonM", kMapFrameLeft, textTop);
    latM_ = textLabel(this, "lblLatM", kMapFrameLeft, textTop + 330);
    lat_ = textLabel(this, "LatLabel", 4800, textTop);
    lon_ = textLabel(this, "LonLabel", 4800, textTop + 330);

    marker_ = new CircleShape(QColor(220, 0, 0), this);
    marker_->setObjectName("circlePint");
    marker_->hide();
    mouseMark_ = new CircleShape(QColor(0, 0, 160), this);
    mouseMark_->setObjectName("cirMouse");
    mouseMark_->resize(twipsToPixels(kMouseMarkTwips), twipsToPixels(kMouseMarkTwips));
    mouseMark_->hide();
    connect(&timer_, &QTimer::timeout, this, &WorldMapForm::mapTick);
}

void WorldMapForm::mapTick() {
    core_.mapTick(state_);
    const MarkerPlace& m = core_.circlePint;
    const double left = markerTwipsX(m.left) / kTwipsPerPixel;
    const double top = markerTwipsY(m.top) / kTwipsPerPixel;
    const double size = m.size * kTwipsPerMillimetre / kTwipsPerPixel;
    marker_->setGeometry(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)),
                         std::max(2, static_cast<int>(std::lround(size))),
                         std::max(2, static_cast<int>(std::lround(size))));
    marker_->show();
    marker_->raise();
    lat_->setText(QString::fromStdString(core_.LatLabel));
    lon_->setText(QString::fromStdString(core_.LonLabel));
}

void WorldMapForm::mouseOverPicture(float x, float y) {
    const MouseReadout r = mouseReadout(x, y);
    lonM_->setText(QString::fromStdString(r.lblLonM));
    latM_->setText(QString::fromStdString(r.lblLatM));
}

bool WorldMapForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && event->type() == QEvent::MouseMove) {
        const QPointF at = static_cast<QMouseEvent*>(event)->position();
        mouseMark_->hide();
        mouseOverPicture(static_cast<float>(at.x() * kTwipsPerPixel),
                         static_cast<float>(at.y() * kTwipsPerPixel));
        return true; // the window's own circle stays hidden over the picture
    }
    return QWidget::eventFilter(watched, event);
}

void WorldMapForm::mouseMoveEvent(QMouseEvent* event) {
    // Over the window outside the picture the small circle follows the mouse.
    mouseMark_->move(event->position().toPoint());
    mouseMark_->show();
    mouseMark_->raise();
    QWidget::mouseMoveEvent(event);
}

bool WorldMapForm::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
        timer_.start(100);
        break;
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        timer_.stop();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace zeph::dashboard
