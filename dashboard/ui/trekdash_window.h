#pragma once

// Trekdash: the main window. It owns the core and its timers, shows the satellite view the
// core's ticks ask for, mirrors the core's enabled states in its buttons and menus, and shows
// and hides the settings windows as the core says.

#include "dashboard/core/pointer_displays.h"
#include "dashboard/core/sky_plot.h"
#include "dashboard/core/trekdash_core.h"
#include "dashboard/ui/activation_tracker.h"
#include "dashboard/ui/qt_timer_service.h"

#include <QMainWindow>

class QAction;
class QMenu;
class QPushButton;

namespace zeph::dashboard {

class DisplayWindows;
class DirectionForm;
class DoubleForm;
class DoubleMapForm;
class PointerView;
class WorldMapForm;
class SetForm;
class SkyView;
class frmSelNmea;

// The port objects of the program: port 1 (the receiver, source 1), port 2 (source 2) and the
// one frmSelNmea opens for each command.
struct TrekdashPorts {
    PortObject& port1;
    PortObject& port2;
    PortObject& selPort;
};

class Trekdash : public QMainWindow, public MainWindowSink {
    Q_OBJECT
public:
    Trekdash(TrekdashPorts ports, const SettingsFile& settingsFile, Prompter& prompter,
             QWidget* parent = nullptr);
    ~Trekdash() override;

    TrekdashCore& core() { return core_; }
    const SkyPlot& skyPlot() const { return sky_; }
    SkyView* skyView() const { return view_; }
    SetForm* setForm() const { return setForm_; }
    DoubleForm* doubleForm() const { return doubleForm_; }
    frmSelNmea* selNmea() const { return selNmea_; }
    DoubleMapForm* doubleMap() const { return doubleMap_; }
    WorldMapForm* worldMap() const { return worldMap_; }
    DirectionForm* direction() const { return direction_; }
    const PointerDisplays& pointers() const { return pointers_; }
    QtTimerService& timers() { return timers_; }

    // Program start: the settings read and port 1 opened.
    void load();
    // The window became the program's active window; runs the activation when it came from
    // another window of the program (or for the first time).
    void activateMain();

    // MainWindowSink
    void redrawSatelliteSymbols() override;
    void drawSatelliteView() override;
    void eraseSettingsAreas() override;
    void eraseCentreCross() override;
    void clearDrawing() override;
    void pointerTick(TimerId id) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    // Buttons, menus and the settings windows as the core's controls say.
    void syncControls();
    // A settings window closed: back to the main window.
    void formFinished();

    QtTimerService timers_;
    TrekdashCore core_;
    SkyPlot sky_;
    PointerDisplays pointers_;
    ActivationTracker tracker_;
    SkyView* view_;
    QPushButton* display_;
    QPushButton* stop_;
    QMenu* setMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* single_ = nullptr;
    QAction* double_ = nullptr;
    SetForm* setForm_;
    DoubleForm* doubleForm_;
    frmSelNmea* selNmea_;
    DisplayWindows* displays_ = nullptr;
    PointerView* pointerView_;
    DoubleMapForm* doubleMap_;
    WorldMapForm* worldMap_;
    DirectionForm* direction_;
};

} // namespace zeph::dashboard
