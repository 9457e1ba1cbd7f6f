#pragma once

// The main form's core: the receive cycle as a chain of timers (NmeaTimer reads port 1, decodes
// RMC, GSA and GGA and hands every GSV sentence to the set collector as it arrives; RxCheckTimer
// takes the newest complete set, DecodeTimer decodes it, DisplayTimer shows it and restarts the
// collection), the "Display" and "Stop" operations,
// loading and activation with the pending settings requests, and the enabled state of the
// main window's buttons and menus that the window mirrors.

#include "dashboard/core/dash_timers.h"
#include "dashboard/core/gsv_set.h"
#include "dashboard/core/nmea_port.h"
#include "dashboard/core/received_sentences.h"
#include "dashboard/core/receiver_state.h"
#include "dashboard/core/settings_record.h"

#include "common/prompt/prompter.h"

#include <string>

namespace zeph::dashboard {

// Text bounds of the receive side.
constexpr std::size_t kRxBufferLimit = 5000; // RxBuffer, checked when a GSV sentence is seen
constexpr std::size_t kRxLogLimit = 10000;   // RxLog and RxBuffer together

constexpr const char* kComUsedText = "The COM is used!";
constexpr const char* kSource1UsedText = "Source 1 is used!";
constexpr const char* kSource2UsedText = "Source 2 is used!";

// "The COM n is occupied ! Set again Please!" for the port that failed at start.
std::string comOccupiedText(int port);

// What the window draws for the core; every hook may do nothing.
class MainWindowSink {
public:
    virtual ~MainWindowSink() = default;
    virtual void redrawSatelliteSymbols() {} // activation, before anything else
    virtual void drawSatelliteView() {}      // the DisplayTimer tick, before the hand-over
    virtual void eraseSettingsAreas() {}     // new single-receiver settings are applied
    virtual void eraseCentreCross() {}       // "Stop"
    virtual void clearDrawing() {}           // "Double Source"
    virtual void pointerTick(TimerId) {}     // MeterTimer, CompassTimer, HeadingTimer
};

// Enabled and visible states the window shows.
struct MainWindowControls {
    bool displayEnabled = true;
    bool stopEnabled = false;
    bool setMenuEnabled = true;
    bool viewMenuEnabled = false;
    bool singleSourceEnabled = true;
    bool doubleSourceEnabled = true;
    bool mainWindowEnabled = true; // input to the main window (off in two-receiver mode)
    bool setFormVisible = false;
    bool doubleFormVisible = false;
    bool selNmeaVisible = false;
    bool doubleMapVisible = false;
};

class TrekdashCore : public TimerClient {
public:
    TrekdashCore(TimerService& timers, PortObject& port1, PortObject& port2,
                 const SettingsFile& settingsFile, Prompter& prompter,
                 MainWindowSink* sink = nullptr);

    ReceiverState& state() { return state_; }
    const ReceiverState& state() const { return state_; }
    GsvCounters& gsv() { return gsv_; }
    GsvCollector& gsvCollector() { return collector_; }
    // Every sentence read from port 1 since the start, whatever the decoders made of it.
    const ReceivedSentences& received() const { return received_; }
    bool gsvDecoded() const { return gsvDecoded_; }
    void setGsvDecoded(bool decoded) { gsvDecoded_ = decoded; }
    bool blinkFlag() const { return blinkFlag_; }
    bool compassMode() const { return compassMode_; }
    void setCompassMode(bool compass) { compassMode_ = compass; }
    MainWindowControls& controls() { return controls_; }
    const MainWindowControls& controls() const { return controls_; }
    const SettingsFile& settingsFile() const { return settingsFile_; }
    PortObject& port1() { return port1_; }

    // Program start: read the settings and open port 1.
    void load();
    // Every activation of the main window: carry out pending requests, restart the timers.
    void activate();
    // "Display" (DisplayComm) and "Stop" (StopComm).
    void display();
    void stop();
    // Menu entries: "Single Source", "Double Source", Select Nmea.
    void singleSourceMenu();
    void doubleSourceMenu();
    void selectNmeaMenu();
    // The comparison window's Close: back to one receiver at the next activation.
    void closeDoubleMap();
    // Compass > "Heading" and "No Heading": which pointer display runs.
    void headingMenu();
    void noHeadingMenu();

    void onTimer(TimerId id) override;

    // The ticks, callable one by one.
    void nmeaTick();
    void rxCheckTick();
    void decodeTick();
    void displayTick();
    void compareTick();

private:
    void openPort1(int16_t port, const SettingsRecord::Speed& speed);

    TimerService& timers_;
    PortObject& port1_;
    PortObject& port2_;
    const SettingsFile& settingsFile_;
    Prompter& prompter_;
    MainWindowSink* sink_;
    ReceiverState state_;
    GsvCounters gsv_;
    GsvCollector collector_;
    ReceivedSentences received_;
    bool gsvDecoded_ = false;
    bool blinkFlag_ = false;
    bool compassMode_ = false;
    MainWindowControls controls_;
};

} // namespace zeph::dashboard
