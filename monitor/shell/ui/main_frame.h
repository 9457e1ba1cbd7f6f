#pragma once

// The monitor's main window: an MDI frame with the menus, the status bar and the title. Every
// rule lives in MainFrameCore; this window creates and closes the child frames it is asked
// for, runs the dialogs and shows what the core says.

#include "common/qt/qt_prompter.h"
#include "monitor/shell/main_frame_core.h"
#include "monitor/shell/ui/frame_view.h"
#include "monitor/shell/ui/timer_driver.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;

namespace zeph::monitor {

class CMainFrame : public QMainWindow, private FrameWindow {
    Q_OBJECT
public:
    // The set-up dialogs, replaceable so tests never block on a modal window.
    struct Dialogs {
        std::function<bool(bool cancelEnabled)> dataSource;
        std::function<bool()> logSettings;
        std::function<void()> targetSoftware;
        std::function<bool()> preferences; // true when saved
    };
    // The Action menu's dialogs (an empty one counts as cancelled).
    struct ActionDialogs {
        std::function<std::optional<LineValues>(SerialPortRole, const DataSourceSettings&)>
            serialPort;
        std::function<std::optional<UartDialogResult>()> uartConfiguration;
        std::function<std::optional<NmeaModeValues>()> nmeaSetup;
        std::function<std::optional<ReceiverInitAccepted>(const ReceiverInitSettings&)>
            receiverInit;
        std::function<std::optional<LowPowerSend>(int targetSwClass)> lowPower;
        std::function<void(SendDataCommand&, CommandOutput&)> sendData;
        // The navigation, mask and receiver-mode dialogs: true on Send.
        std::function<bool(NavDialog&)> navDialog;
        std::function<ChosenFile(const CollectionFileDialog&)> collectionFile = {};
    };

    CMainFrame(ProfileFile& profile, Clock& clock, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Tests answer the message boxes and dialogs themselves.
    void setPrompter(Prompter& prompter) { prompter_ = &prompter; }
    void setDialogs(Dialogs dialogs);
    void setActionDialogs(ActionDialogs dialogs) { actionDialogs_ = std::move(dialogs); }

    MainFrameCore& core() { return *core_; }
    QMdiArea* mdiArea() const { return mdi_; }
    CFrameView* frame(size_t slot) const { return frames_[slot]; }
    QLabel* pane(StatusPane pane) const { return panes_[pane]; }
    // Width of a status pane in characters.
    int paneWidthInChars(StatusPane pane) const;

    // A timed run or a signal ends the program whatever question or dialog is open: the log
    // closes and the placements are saved as on Exit, without asking, and every event loop is
    // left with `status`. The source closes when the frame goes.
    void endRun(int status);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class ForwardingPrompter : public Prompter {
    public:
        explicit ForwardingPrompter(Prompter*& target) : target_(target) {}
        Answer ask(const std::string& text, Icon icon, Buttons buttons) override {
            return target_->ask(text, icon, buttons);
        }

    private:
        Prompter*& target_;
    };

    // FrameWindow
    void openViewFrame(size_t slot) override;
    void closeViewFrame(size_t slot) override;
    void refresh() override;
    void blink() override;
    void post(std::function<void()> call) override;
    bool runDataSourceDialog(bool cancelEnabled) override;
    bool runLogSettingsDialog() override;
    void showTargetSoftwareDialog() override;
    void processPendingEvents() override;
    std::optional<LineValues> runSerialPortDialog(SerialPortRole role,
                                                  const DataSourceSettings& current) override;
    std::optional<UartDialogResult> runUartConfigurationDialog() override;
    std::optional<NmeaModeValues> runNmeaSetupDialog() override;
    std::optional<ReceiverInitAccepted>
    runReceiverInitDialog(const ReceiverInitSettings& stored) override;
    std::optional<LowPowerSend> runLowPowerDialog(int targetSwClass) override;
    void runSendDataDialog(SendDataCommand& command, CommandOutput& output) override;
    bool runNavDialog(NavDialog& dialog) override;
    ChosenFile runCollectionFileDialog(const CollectionFileDialog& dialog) override;

    void buildMenus();
    void buildStatusBar();
    void updateDrovanaMenus();
    void updateRecentFiles();
    QAction* addCommand(QMenu* menu, const QString& text, const char* name,
                        std::function<void()> run);
    void setPaneWidth(StatusPane pane, int chars);
    void savePlacements();

    QtPrompter qtPrompter_;
    Prompter* prompter_;
    ForwardingPrompter forwarding_{prompter_};
    Dialogs dialogs_;
    ActionDialogs actionDialogs_;
    QMdiArea* mdi_;
    std::unique_ptr<MainFrameCore> core_;
    std::unique_ptr<TimerDriver> timerDriver_;
    std::array<CFrameView*, settings::kViewSlotCount> frames_{};
    std::array<QAction*, settings::kViewSlotCount> viewActions_{};
    std::array<QLabel*, kStatusPanes> panes_{};
    std::array<int, kStatusPanes> paneChars_{};
    QMenu* messagesMenu_ = nullptr;
    QMenu* navigationMenu_ = nullptr;
    QMenu* drovanaMenu_ = nullptr; // in the Navigation menu only while the target is Drovana
    QAction* openSourceAction_ = nullptr;
    QAction* pauseAction_ = nullptr;
    QAction* openLogAction_ = nullptr;
    QAction* closeAllAction_ = nullptr;
    std::array<QAction*, settings::kRecentFileCount> recentActions_{};
    QAction* recentSeparator_ = nullptr;
    std::vector<std::pair<QAction*, CommandNeed>> receiverCommands_;
    bool placed_ = false;
    bool shuttingDown_ = false;
    bool ended_ = false; // the placements are saved: by an accepted close or endRun
};

} // namespace zeph::monitor
