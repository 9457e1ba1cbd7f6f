#include "monitor/views/ui/map_view.h"

#include "monitor/shell/feed.h"
#include "monitor/views/ui/dialogs/view_dialogs.h"
#include "monitor/views/ui/options_dialog.h"
#include "monitor/views/ui/plot_painter.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

constexpr int kScrollStep = 50;

// Label and object name of each bar field; the satellite count has no label of its own.
constexpr std::array<std::pair<const char*, const char*>, CViewMap::kBarFields> kBarLabels = {{
    {"GPS Time:", "gpsTimeText"},
    {"Week:", "weekText"},
    {"Lat:", "latText"},
    {"Lon:", "lonText"},
    {"Alt:", "altText"},
    {"Hdg: \u00B1", "hdgText"},
    {"Vel:", "velText"},
    {"Mode:", "modeText"},
    {"DOP:", "dopText"},
    {"Fix:", "fixText"},
    {"", "svCountText"},
    {"SVs Used in Fix:", "svListText"},
}};

QString qText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// The plot at its full size inside the scroll area: it shows the visible part of the pixmap.
class CViewMap::Canvas : public QWidget {
public:
    Canvas(const QPixmap& pixmap, QWidget* parent) : QWidget(parent), pixmap_(pixmap) {
        setObjectName(QStringLiteral("mapCanvas"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.drawPixmap(event->rect(), pixmap_, event->rect());
    }

private:
    const QPixmap& pixmap_;
};

CViewMap::CViewMap(const ViewContext& ctx, QWidget* parent) : MonitorView(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("CViewMap"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildBar());
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("mapScroll"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->horizontalScrollBar()->setSingleStep(kScrollStep);
    scroll_->verticalScrollBar()->setSingleStep(kScrollStep);
    canvas_ = new Canvas(plotPixmap_, scroll_);
    scroll_->setWidget(canvas_);
    canvas_->installEventFilter(this);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(scroll_, 1);
    load();
}

QWidget* CViewMap::buildBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("mapBar"));
    auto* grid = new QGridLayout(bar);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setVerticalSpacing(1);
    auto* clear = new QPushButton(QStringLiteral("&Clear"), bar);
    clear->setObjectName(QStringLiteral("clearButton"));
    connect(clear, &QPushButton::clicked, this, &CViewMap::clearPlot);
    auto* origin = new QPushButton(QStringLiteral("Current as &origin"), bar);
    origin->setObjectName(QStringLiteral("originButton"));
    connect(origin, &QPushButton::clicked, this, &CViewMap::currentAsOrigin);
    grid->addWidget(clear, 0, 0, 1, 2);
    grid->addWidget(origin, 0, 2, 1, 2);
    // Two fields a row; the satellite count stands before the list's label.
    for (int f = 0; f < kBarFields; ++f) {
        const auto& [label, name] = kBarLabels[f];
        fields_[f] = new QLabel(bar);
        fields_[f]->setObjectName(QString::fromLatin1(name));
        // Plain labels: a selectable one keeps growing with every new text.
        const int row = 1 + f / 2;
        const int column = (f % 2) * 2;
        if (f == kSvCount) {
            grid->addWidget(fields_[f], row, 0, Qt::AlignRight);
        } else if (f == kSvList) {
            grid->addWidget(new QLabel(QString::fromUtf8(label), bar), row, 1);
            grid->addWidget(fields_[f], row, 2, 1, 2);
            fields_[f]->setWordWrap(true);
        } else {
            grid->addWidget(new QLabel(QString::fromUtf8(label), bar), row, column);
            grid->addWidget(fields_[f], row, column + 1);
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return bar;
}

void CViewMap::load() {
    MapViewSettings s;
    if (ctx_.profile != nullptr) {
        s.load(*ctx_.profile);
    }
    plot_.load(s);
    const int size = plot_.layout().size;
    background_ = QPixmap(size, size);
    paintOps(background_, plot_.background(), font());
    plotPixmap_ = background_.copy();
    canvas_->setFixedSize(size, size);
    laidOut_ = true;
    centrePlot();
    canvas_->update();
}

void CViewMap::centrePlot() {
    const int c = plot_.layout().centre;
    scroll_->ensureVisible(c, c, scroll_->viewport()->width() / 2,
                           scroll_->viewport()->height() / 2);
}

void CViewMap::clearPlot() {
    paintOps(plotPixmap_, plot_.clear(), font(), &background_);
    canvas_->update();
}

void CViewMap::currentAsOrigin() {
    if (ctx_.profile == nullptr) {
        return;
    }
    ctx_.profile->writeString(settings::kVwMap, settings::kLat, plot_.latitudeText());
    ctx_.profile->writeString(settings::kVwMap, settings::kLon, plot_.longitudeText());
    onUpdate(kHintSettingsChanged, nullptr);
}

void CViewMap::onUpdate(int hint, const RxMessage* msg) {
    if (hint == kHintSettingsChanged) {
        load();
        return;
    }
    if (hint == kHintNewSource) {
        if (laidOut_) {
            clearPlot();
        }
        return;
    }
    if (hint != kHintNewMessage || msg == nullptr) {
        return;
    }
    const std::optional<MapPlot::Update> u = plot_.onMessage(*msg);
    if (!u) {
        return;
    }
    const std::array<const std::string*, kBarFields> texts = {
        &u->bar.gpsTime,  &u->bar.week,    &u->bar.latitude, &u->bar.longitude,
        &u->bar.altitude, &u->bar.heading, &u->bar.velocity, &u->bar.mode,
        &u->bar.dop,      &u->bar.fix,     &u->bar.svCount,  &u->bar.svList};
    for (int f = 0; f < kBarFields; ++f) {
        const QString text = qText(*texts[f]);
        if (fields_[f]->text() != text) {
            fields_[f]->setText(text);
        }
    }
    if (!u->plot.empty()) {
        paintOps(plotPixmap_, u->plot, font());
        canvas_->update();
    }
}

bool CViewMap::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == canvas_ || watched == scroll_->viewport()) &&
        event->type() == QEvent::MouseButtonDblClick) {
        runOptionsDialog<MapPreferencesDialog>(ctx_, this);
        return true;
    }
    return MonitorView::eventFilter(watched, event);
}

void CViewMap::showEvent(QShowEvent* event) {
    MonitorView::showEvent(event);
    centrePlot();
}

} // namespace zeph::monitor
