#pragma once

// The main frame without its window: the program-wide objects (settings, receiver state, log,
// decoder, timer service), the one document, the ten view slots and the "OpenViews" string,
// and every menu command's rule. The Qt main frame creates and closes the child frames it is
// asked for and shows what this class says (title, check marks, enabled commands, panes).

#include "common/version/version.h"
#include "monitor/shell/collection_files.h"
#include "monitor/shell/feed_doc.h"
#include "monitor/shell/low_power.h"
#include "monitor/shell/message_log.h"
#include "monitor/shell/nav_dialogs.h"
#include "monitor/shell/port_dialogs.h"
#include "monitor/shell/receiver_init.h"
#include "monitor/shell/recent_files.h"
#include "monitor/shell/send_data.h"
#include "monitor/shell/settings.h"
#include "monitor/shell/timer_slots.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace zeph::monitor {

// The view slots of the main frame.
enum ViewSlot : size_t {
    kSlotSignal = 0,
    kSlotMap = 1,
    kSlotRadar = 2,
    kSlotDebug = 3,
    kSlotResponse = 4,
    kSlotError = 5,
    kSlotNavigation = 6,
    kSlotDgps = 7,
    kSlotGeodetic = 8,
    kSlotDrovana = 9,
};

// What a receiver command needs before it may be chosen.
enum class CommandNeed {
    Source,            // transmit, User1, synchronise
    SourceAndNmea,     // "Switch to &Zeph Protocol"
    SourceWithoutNmea, // every other receiver command
};

// The eleven status bar panes by position. The source and activity panes keep positions 6 and
// 7; the spare panes stay empty so that they do.
enum StatusPane : int {
    kPaneMessage = 0,  // "Ready"
    kPaneTargetSw = 1, // the target software text
    kPaneSpare2 = 2,
    kPaneSpare3 = 3,
    kPaneLog = 4,        // "LOG" while a log file is open
    kPanePause = 5,      // "PAUSE" while the display is paused
    kPaneSource = 6,     // "SOURCE" while a source is open; its width tells the same
    kPaneActivity = 7,   // the activity blinker: its width toggles with each received chunk
    kPaneProtocol = 8,   // "NMEA" or "BIN": what arrives
    kPaneAutoDetect = 9, // "AUTO" while the target software is detected
    kPaneSpare10 = 10,
    kStatusPanes = 11,
};

// Widths in characters of the source pane and the activity pane.
constexpr int kSourcePaneOpenWidth = 9;
constexpr int kSourcePaneClosedWidth = 4;
constexpr int kBlinkNarrowWidth = 5;
constexpr int kBlinkWideWidth = 8;

constexpr const char* kTitlePrefix = "ZephMon " ZEPHMON_VERSION " (Target SW: ";
constexpr const char* kDifferentLogQuestion = "Do you want to open a different log file?";
constexpr const char* kExitQuestion = "Exiting will close the log file.  Do you wish to exit?";
constexpr const char* kCannotOpenLog =
    "Cannot open the log file %s.\nThe monitor runs without a log.";

// The simple polls of the Poll menu: MID, then 0.
constexpr uint8_t kMidPollSwVersion = 132;
constexpr uint8_t kMidPollClockStatus = 144;
constexpr uint8_t kMidPollNavParameters = 152;
// The Drovana polls: MID 172 and the sub-identifier.
constexpr uint8_t kMidDrovana = 172;
constexpr uint8_t kSidPollDrValid = 5;
constexpr uint8_t kSidPollGyrFactCal = 6;
constexpr uint8_t kSidPollDrSensParam = 7;
// Switch to User1 Protocol: the set-protocol command.
constexpr uint8_t kMidSetProtocol = 135;

// What the UART Configuration dialog's Send hands on: the command's entries and the rate of the
// monitor's own UART (0: that entry carries none).
struct UartDialogResult {
    UartConfigRecord record{};
    uint32_t monitorBaud = 0;
};

// What the core asks of the window.
class FrameWindow {
public:
    virtual ~FrameWindow() = default;
    // Create the child frame of a slot; its view reports back with viewOpened.
    virtual void openViewFrame(size_t slot) = 0;
    // Close the child frame of a slot; it reports back with viewClosed.
    virtual void closeViewFrame(size_t slot) = 0;
    // Title, panes, check marks and enabled commands may have changed.
    virtual void refresh() = 0;
    // Only the activity blinker changed (once per received chunk).
    virtual void blink() = 0;
    // Runs `call` later from the window's event loop (a posted user message).
    virtual void post(std::function<void()> call) = 0;
    // The set-up dialogs; true on OK.
    virtual bool runDataSourceDialog(bool cancelEnabled) = 0;
    virtual bool runLogSettingsDialog() = 0;
    // Shown later, from the window's own event loop, never inside a timer tick.
    virtual void showTargetSoftwareDialog() = 0;
    // Messages already posted to the window are handled before the document is replaced.
    virtual void processPendingEvents() {}
    // The Action menu's dialogs: the values of Send, nothing on Cancel.
    virtual std::optional<LineValues> runSerialPortDialog(SerialPortRole /*role*/,
                                                          const DataSourceSettings& /*current*/) {
        return std::nullopt;
    }
    virtual std::optional<UartDialogResult> runUartConfigurationDialog() { return std::nullopt; }
    virtual std::optional<NmeaModeValues> runNmeaSetupDialog() { return std::nullopt; }
    // The Receiver Initialization dialog, opened on the stored settings: what its Send leaves.
    virtual std::optional<ReceiverInitAccepted>
    runReceiverInitDialog(const ReceiverInitSettings& /*stored*/) {
        return std::nullopt;
    }
    // The Low Power dialog: the messages of its Send.
    virtual std::optional<LowPowerSend> runLowPowerDialog(int /*targetSwClass*/) {
        return std::nullopt;
    }
    // The Send Data dialog: its Send goes through `command` to `output`.
    virtual void runSendDataDialog(SendDataCommand& /*command*/, CommandOutput& /*output*/) {}
    // A dialog of the navigation family (opened with the receiver's current settings or its
    // defaults): true when Send passed its checks and the command is to go.
    virtual bool runNavDialog(NavDialog& /*dialog*/) { return false; }
    // The almanac and ephemeris file dialogs: what the user chose, or an empty name.
    virtual ChosenFile runCollectionFileDialog(const CollectionFileDialog& /*dialog*/) {
        return {};
    }
};

class MainFrameCore : public MonitorEvents, private DocumentListener {
public:
    MainFrameCore(ProfileFile& profile, Clock& clock, Prompter& prompter, FrameWindow& window);
    ~MainFrameCore() override;
    MainFrameCore(const MainFrameCore&) = delete;
    MainFrameCore& operator=(const MainFrameCore&) = delete;

    // Start-up after the window shows: the Data Source Setup dialog without Cancel, then the
    // views the "OpenViews" string names.
    void start();
    // Start-up with a source chosen on the command line: its settings are stored (a capture by
    // its absolute path), the views open and the source with them; `withLog`: the log as set
    // opens first.
    void startWith(const DataSourceSettings& source, bool withLog);
    // The start-up the command line asks for: with a source, startWith; without, start and then,
    // `withLog`, startLog. A log that does not open is told (once the start-up is over, from the
    // window's event loop) and the run goes on without one: false then.
    bool startFromCommandLine(const std::optional<DataSourceSettings>& source, bool withLog);

    // View slots.
    void toggleView(size_t slot);
    void viewOpened(size_t slot, ViewObserver& view);
    void viewClosed(size_t slot);
    void closeAllViews();
    // The Drovana view exists only while the target runs that software: it does not open for
    // another, and closes when the class changes away from it.
    void followTargetClass();
    bool viewOpen(size_t slot) const { return views_[slot] != nullptr; }
    bool anyViewOpen() const;
    const std::string& openViews() const { return openViews_; }

    // Menu commands.
    void openDataSourceCommand();
    void dataSourceSetupCommand();
    void pauseDisplayCommand();
    void openLogFileCommand();
    // Opens the log as set, without its dialog, and polls what starts a log.
    void startLog();
    void targetSoftwareCommand();
    // An option dialog saved view settings (user message 0x405): the document restarts the
    // generator's pacing and every view reloads its settings.
    void refreshViews();
    // The File menu's recent capture files, most recent first. Choosing one does what choosing it
    // in the Data Source Setup dialog, in the format it was played in, does, then opens it; one
    // that no longer opens is dropped.
    const std::vector<std::string>& recentFiles() const { return recent_->files(); }
    void openRecentFile(size_t index);
    // A poll of the Poll menu (MID, 0): the Response view opens first when it is closed.
    void sendPoll(uint8_t mid);
    void sendDrovanaPoll(uint8_t sid);
    // Poll > Almanac and Ephemeris: the file to save the collection in is chosen first; without
    // one nothing is sent. The file is written when the collection is complete.
    void pollCollectionCommand(Collection collection);
    // Set Almanac and Set Ephemeris: a file is chosen, read and sent.
    void setCollectionCommand(Collection collection);
    const CollectionFiles& collectionFiles() const { return collectionFiles_; }
    // A dialog that opens with the receiver's current settings: the poll (MID 168) goes out when
    // the target software can answer it, and the window opens the dialog when the echo comes or
    // the poll runs out; otherwise at once, with its defaults.
    void currentSettingsPoll(uint8_t mid);
    // A dialog of the Navigation menu, Switch Operating Mode or Set Message Rate: the polled
    // ones through currentSettingsPoll, the others at once with their defaults.
    void navigationCommand(uint8_t mid, uint8_t subId = 0);
    // Runs the dialog (`record`: the poll's echo or cleared record; null when none was due) and
    // sends its command on Send.
    void runNavDialog(uint8_t mid, uint8_t subId, const PolledSettings* record);

    // The Action menu. Each works on a serial source only; those that move the monitor's line
    // leave the source reopened at the new settings.
    void switchToNmeaCommand();
    void switchToBinaryCommand();
    void synchroniseCommand();
    void switchToUser1Command();
    void setMainSerialPortCommand();
    void setDgpsSerialPortCommand();
    void uartConfigurationCommand();
    // The Receiver Initialization dialog; its Send stores the "RcvrInit" settings, sets the
    // periodic reset and sends MID 128 by the line rules of the initialisation.
    void initializeDataSourceCommand();
    // The Low Power dialog; its Send sends MID 151 and then MID 167.
    void setLowPowerCommand();
    // Transmit Serial Message: the Send Data dialog, with what the last Send left in it.
    void transmitSerialMessageCommand();
    const SendDataCommand& sendData() const { return sendData_; }
    // The close request: false when the user keeps the program running.
    bool exitRequested();
    // A timed run or a signal: the log closes without asking, and neither a log nor a source
    // opens any more (a start-up whose dialog the end interrupted goes no further).
    void endRun();
    // Teardown: the source closes, the slots are forgotten.
    void shutDown();

    // What the window shows.
    std::string title() const;
    bool sourceOpen() const { return sourceOpen_; }
    bool paused() const { return paused_; }
    bool logOpen() const { return log_.isOpen(); }
    bool commandEnabled(CommandNeed need) const;
    bool drovanaMenus() const { return state_.targetSwClass == kSwDrovana; }
    int sourcePaneWidth() const;
    int blinkPaneWidth() const { return blinkWide_ ? kBlinkWideWidth : kBlinkNarrowWidth; }

    ProgramState& state() { return state_; }
    const ProgramState& state() const { return state_; }
    MessageLog& log() { return log_; }
    TimerSlots& timers() { return timers_; }
    ProfileFile& profile() { return profile_; }
    CFeedDoc* document() const { return doc_.get(); }

    // MonitorEvents: what the receiver core tells the frame.
    void writeLog(std::string_view text) override { log_.writeText(text); }
    void showText(std::string_view text, uint16_t code) override;
    void targetSoftwareChanged() override { window_.refresh(); }
    // The 32nd entry of a collection: its file is saved from the window's event loop.
    void almanacComplete() override;
    void ephemerisComplete() override;
    void nmeaArrivingStarted() override;
    void activity() override;

private:
    // DocumentListener
    void endOfData() override;
    void showTargetSoftwareDialog() override { window_.showTargetSoftwareDialog(); }
    // Called from the link tick: the modal dialog runs from the window's event loop.
    void openPolledDialog(const CurrentSettingsPolls::DialogToOpen& dialog) override {
        window_.post([this, dialog] { runNavDialog(dialog.mid, 0, &dialog.record); });
    }
    void sourceReopened(bool opened) override;

    // The feed's line sequences while a serial source is open; none otherwise.
    LineSwitching* lines();
    CFeedDoc& ensureDocument();
    void markView(size_t slot, bool open);
    void openView(size_t slot);
    void reopenViews();
    void openSource();
    void closeSource();
    void sendLogStartPolls();

    ProfileFile& profile_;
    Clock& clock_;
    Prompter& prompter_;
    FrameWindow& window_;
    ProgramState state_;
    MessageLog log_;
    MessageDecoder decoder_;
    TimerSlots timers_;
    std::unique_ptr<CFeedDoc> doc_;
    SendDataCommand sendData_;
    CollectionFiles collectionFiles_;
    std::unique_ptr<RecentFiles> recent_; // read once the start-up check has done its work
    std::array<ViewObserver*, settings::kViewSlotCount> views_{};
    std::string openViews_;
    RxMessage viewText_; // link-error and unknown-message lines on their way to the views
    bool sourceOpen_ = false;
    bool paused_ = false;
    bool blinkWide_ = false;
    bool firstDataSourceDialog_ = true;
    bool ending_ = false;
};

} // namespace zeph::monitor
