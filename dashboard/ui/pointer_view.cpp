#include "dashboard/ui/pointer_view.h"

#include "dashboard/ui/sky_view.h"

#include <QLabel>
#include <QPainter>

namespace zeph::dashboard {

namespace {

constexpr int kLetterTwips = 200;
constexpr int kLabelHeightTwips = 240;

void moveTo(QLabel* label, TwipPoint at) {
    label->move(twipsToPixels(at.x), twipsToPixels(at.y));
}

QLineF twipLine(const TwipLine& line) {
    return {QPointF(line.from.x, line.from.y), QPointF(line.to.x, line.to.y)};
}

} // namespace

PointerView::PointerView(const PointerDisplays& pointers, QWidget* parent)
    : QWidget(parent), pointers_(pointers), north_(label("NorthLabel", "N", 0, 0, kLetterTwips)),
      east_(label("EastLabel", "E", 0, 0, kLetterTwips)),
      south_(label("SouthLabel", "S", 0, 0, kLetterTwips)),
      west_(label("WestLabel", "W", 0, 0, kLetterTwips)),
      compass_(label("CompassLabel", "", 9000, 4700, 1200)),
      speed_(label("SpeedLabel", "", 0, 0, 1200)), max_(label("MaxLabel", "", 10300, 1560, 600)) {
    setObjectName("PointerView");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    label("UnitLabel", "Speed Meter (Knots)", 8650, 1850, 1900);
    label("MinLabel", "0", 8380, 1560, 300);
    compass_->setAlignment(Qt::AlignCenter);
    for (QLabel* letter : {north_, east_, south_, west_, speed_}) {
        letter->hide(); // until the first tick places them
    }
}

QLabel* PointerView::label(const char* name, const QString& text, int left, int top, int width) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    QFont small = font();
    small.setPixelSize(11);
    l->setFont(small);
    l->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                   twipsToPixels(kLabelHeightTwips));
    return l;
}

void PointerView::sync() {
    const CompassCard& card = pointers_.card;
    moveTo(north_, card.NorthLabel);
    moveTo(east_, card.EastLabel);
    moveTo(south_, card.SouthLabel);
    moveTo(west_, card.WestLabel);
    compass_->setText(QString::fromStdString(pointers_.CompassLabel));
    const SpeedNeedle& meter = pointers_.meter;
    moveTo(speed_, meter.speedLabelAt);
    speed_->setText(QString::fromStdString(meter.SpeedLabel));
    max_->setText(QString::fromStdString(meter.MaxLabel));
    const bool lettersPlaced = card.placed || !pointers_.CompassLabel.empty();
    for (QLabel* letter : {north_, east_, south_, west_}) {
        letter->setVisible(lettersPlaced);
    }
    speed_->setVisible(meter.placed);
    update();
}

void PointerView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(1.0 / kTwipsPerPixel, 1.0 / kTwipsPerPixel);
    const double width = 2.0 * kTwipsPerPixel;
    const CompassCard& card = pointers_.card;
    if (card.placed) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 0));
        const TwipRect& c = card.cirCompass;
        p.drawEllipse(QRectF(c.left, c.top, c.width, c.height));
        p.setPen(QPen(paletteColor(kLightRed), width));
        for (const TwipLine* line : {&card.LineUp, &card.LineM, &card.LineRT, &card.LineLT}) {
            p.drawLine(twipLine(*line));
        }
        p.setPen(QPen(paletteColor(kYellow), width));
        p.drawLine(twipLine(card.LineRD));
        p.drawLine(twipLine(card.LineLD));
    }
    const SpeedNeedle& meter = pointers_.meter;
    if (meter.placed) {
        p.setPen(QPen(paletteColor(kYellow), width));
        for (const TwipLine* line :
             {&meter.LineUM, &meter.LineDown, &meter.LineTopR, &meter.LineTopL}) {
            p.drawLine(twipLine(*line));
        }
    }
}

} // namespace zeph::dashboard
