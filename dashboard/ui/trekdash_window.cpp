#include "dashboard/ui/trekdash_window.h"

#include "dashboard/ui/direction_form.h"
#include "dashboard/ui/display_windows.h"
#include "dashboard/ui/double_form.h"
#include "dashboard/ui/double_map_form.h"
#include "dashboard/ui/frm_sel_nmea.h"
#include "dashboard/ui/pointer_view.h"
#include "dashboard/ui/set_form.h"
#include "dashboard/ui/sky_view.h"
#include "dashboard/ui/world_map_form.h"

#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace zeph::dashboard {

namespace {

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

void showOrHide(QWidget* window, bool visible) {
    if (visible && !window->isVisible()) {
        window->show();
        window->raise();
        window->activateWindow();
    } else if (!visible && window->isVisible()) {
        window->hide();
    }
}

} // namespace

Trekdash::Trekdash(TrekdashPorts ports, const SettingsFile& settingsFile, Prompter& prompter,
                   QWidget* parent)
    : QMainWindow(parent), core_(timers_, ports.port1, ports.port2, settingsFile, prompter, this),
      view_(new SkyView(sky_, this)), display_(new QPushButton("Display", view_)),
      stop_(new QPushButton("Stop", view_)), setForm_(new SetForm(core_, prompter, tracker_, this)),
      doubleForm_(new DoubleForm(core_, prompter, tracker_, this)),
      selNmea_(new frmSelNmea(ports.selPort, settingsFile, prompter, tracker_, this)),
      pointerView_(new PointerView(pointers_, view_)),
      doubleMap_(new DoubleMapForm(core_, tracker_, this)),
      worldMap_(new WorldMapForm(core_.state(), this)),
      direction_(new DirectionForm(core_.state(), this)) {
    setObjectName("Trekdash");
    setWindowTitle("Trekdash");
    timers_.setClient(&core_);
    setCentralWidget(view_);

    display_->setObjectName("DisplayComm");
    stop_->setObjectName("StopComm");
    place(display_, 8000, 5500, 1200, 450);
    place(stop_, 9500, 5500, 1200, 450);
    QFont small = font();
    small.setPixelSize(11);
    auto* id = new QLabel("Sat. ID", view_);
    id->setObjectName("IDLabel");
    id->setFont(small);
    place(id, 120, 6050, 760, 250);
    auto* strength = new QLabel("Strength", view_);
    strength->setObjectName("StrengthLabel");
    strength->setFont(small);
    place(strength, 120, 5600, 760, 250);

    connect(display_, &QPushButton::clicked, this, [this] {
        core_.display();
        syncControls();
    });
    connect(stop_, &QPushButton::clicked, this, [this] {
        core_.stop();
        syncControls();
    });
    connect(setForm_, &SetForm::finished, this, &Trekdash::formFinished);
    connect(doubleForm_, &DoubleForm::finished, this, &Trekdash::formFinished);
    connect(doubleMap_, &DoubleMapForm::finished, this, &Trekdash::formFinished);
    pointerView_->setGeometry(view_->rect());
    selNmea_->installEventFilter(this);
    buildMenus();
    syncControls();
}

Trekdash::~Trekdash() {
    // The settings windows go first: they use the core and the tracker up to the end.
    timers_.setClient(nullptr);
    delete displays_;
    delete doubleMap_;
    delete selNmea_;
    delete doubleForm_;
    delete setForm_;
}

void Trekdash::buildMenus() {
    setMenu_ = menuBar()->addMenu("Set");
    setMenu_->setObjectName("mnuSet");
    single_ = setMenu_->addAction("Single Source");
    single_->setObjectName("mnuSingle");
    double_ = setMenu_->addAction("Double Source");
    double_->setObjectName("mnuDouble");
    viewMenu_ = menuBar()->addMenu("View");
    viewMenu_->setObjectName("mnuView");
    QAction* selNmea = viewMenu_->addAction("Select Nmea ");
    selNmea->setObjectName("mnuSelNmea");
    displays_ = new DisplayWindows(core_.state(), tracker_, this);
    displays_->addTo(viewMenu_);
    QMenu* compass = viewMenu_->addMenu("Compass");
    compass->setObjectName("mnuCompass");
    QAction* heading = compass->addAction("Heading");
    heading->setObjectName("mnuHeading");
    QAction* noHeading = compass->addAction("No Heading");
    noHeading->setObjectName("mnuNoHeading");
    QAction* direction = viewMenu_->addAction("Direction");
    direction->setObjectName("mnuDirection");
    QAction* worldMap = viewMenu_->addAction("World Map");
    worldMap->setObjectName("mnuWorldMap");
    connect(heading, &QAction::triggered, this, [this] { core_.headingMenu(); });
    connect(noHeading, &QAction::triggered, this, [this] { core_.noHeadingMenu(); });
    connect(direction, &QAction::triggered, this, [this] { showOrHide(direction_, true); });
    connect(worldMap, &QAction::triggered, this, [this] { showOrHide(worldMap_, true); });

    connect(single_, &QAction::triggered, this, [this] {
        core_.singleSourceMenu();
        syncControls();
    });
    connect(double_, &QAction::triggered, this, [this] {
        core_.doubleSourceMenu();
        syncControls();
    });
    connect(selNmea, &QAction::triggered, this, [this] {
        core_.selectNmeaMenu();
        syncControls();
    });
}

void Trekdash::syncControls() {
    const MainWindowControls& c = core_.controls();
    display_->setEnabled(c.displayEnabled);
    stop_->setEnabled(c.stopEnabled);
    setMenu_->menuAction()->setEnabled(c.setMenuEnabled);
    viewMenu_->menuAction()->setEnabled(c.viewMenuEnabled);
    single_->setEnabled(c.singleSourceEnabled);
    double_->setEnabled(c.doubleSourceEnabled);
    showOrHide(setForm_, c.setFormVisible);
    showOrHide(doubleForm_, c.doubleFormVisible);
    showOrHide(selNmea_, c.selNmeaVisible);
    showOrHide(doubleMap_, c.doubleMapVisible);
    // In two-receiver mode the main window takes no input; its own windows still do.
    centralWidget()->setEnabled(c.mainWindowEnabled);
    menuBar()->setEnabled(c.mainWindowEnabled);
}

void Trekdash::load() {
    core_.load();
    syncControls();
}

void Trekdash::activateMain() {
    if (!tracker_.enter(this)) {
        return;
    }
    core_.activate();
    syncControls();
}

void Trekdash::formFinished() {
    syncControls();
    if (isVisible()) {
        raise();
        activateWindow();
    }
    activateMain();
}

bool Trekdash::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        activateMain();
    }
    return QMainWindow::event(event);
}

bool Trekdash::eventFilter(QObject* watched, QEvent* event) {
    // frmSelNmea closed by its frame stays hidden until the menu entry shows it again.
    if (watched == selNmea_ && event->type() == QEvent::Close) {
        core_.controls().selNmeaVisible = false;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Trekdash::redrawSatelliteSymbols() {
    sky_.redrawSymbols(core_.state());
    view_->update();
}

void Trekdash::drawSatelliteView() {
    // A set with a repeated PRN leaves the view as it is; the core hands over to the next
    // collection either way.
    if (const auto ops = sky_.displayTick(core_.state())) {
        view_->replay(*ops);
    }
}

void Trekdash::eraseSettingsAreas() {
    view_->replay(SkyPlot::settingsAreas());
}

void Trekdash::eraseCentreCross() {
    view_->replay(SkyPlot::centreCross(kButtonFace));
}

void Trekdash::clearDrawing() {
    DrawOp clear;
    clear.kind = DrawOp::Kind::Clear;
    view_->replay({clear});
}

void Trekdash::pointerTick(TimerId id) {
    const ReceiverState& s = core_.state();
    if (id == TimerId::Meter) {
        if (const auto ops = pointers_.meterTick(s.SpeedKnots)) {
            view_->replay(*ops);
        }
    } else if (id == TimerId::Compass) {
        core_.setCompassMode(true);
        pointers_.compassTick(s.CourseDeg);
    } else if (id == TimerId::Heading) {
        core_.setCompassMode(false);
        if (const auto ops = pointers_.headingTick(s.CourseDeg)) {
            view_->replay(*ops);
        }
    }
    pointerView_->sync();
}

} // namespace zeph::dashboard
