#include "monitor/shell/ui/main_frame.h"

#include "common/version/version.h"
#include "monitor/shell/ui/dialogs/collection_file_dialog.h"
#include "monitor/shell/ui/dialogs/data_source_dialog.h"
#include "monitor/shell/ui/dialogs/log_file_settings_dialog.h"
#include "monitor/shell/ui/dialogs/low_power_dialog.h"
#include "monitor/shell/ui/dialogs/nav_dialog.h"
#include "monitor/shell/ui/dialogs/port_dialogs.h"
#include "monitor/shell/ui/dialogs/receiver_init_dialog.h"
#include "monitor/shell/ui/dialogs/send_data_dialog.h"
#include "monitor/shell/ui/dialogs/target_software_dialog.h"
#include "monitor/shell/ui/placement.h"
#include "monitor/views/ui/dialogs/view_dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

namespace zeph::monitor {
namespace {

// The view toggles in menu order: the plots on the View menu, the text views under Messages.
struct ViewCommand {
    size_t slot;
    const char* text;
    bool messages;
};
constexpr ViewCommand kViewCommands[] = {
    {kSlotSignal, "&Signal", false},        {kSlotMap, "&Map", false},
    {kSlotRadar, "&Radar", false},          {kSlotNavigation, "&Navigation", true},
    {kSlotGeodetic, "&Geodetic Nav", true}, {kSlotDgps, "D&GPS", true},
    {kSlotDebug, "De&bug", true},           {kSlotError, "&Error", true},
    {kSlotResponse, "Res&ponse", true},     {kSlotDrovana, "&Drovana", true},
};
constexpr int kDrovanaMessagesPosition = 6;

} // namespace

CMainFrame::CMainFrame(ProfileFile& profile, Clock& clock, QWidget* parent)
    : QMainWindow(parent), qtPrompter_(QStringLiteral("ZephMon"), this), prompter_(&qtPrompter_),
      mdi_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("CMainFrame"));
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    // Views placed beyond the frame's client area stay within reach.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    dialogs_ =
        Dialogs{[this](bool cancelEnabled) {
                    DataSourceDialog dialog(core_->profile(), *prompter_, cancelEnabled, this);
                    return dialog.exec() == QDialog::Accepted;
                },
                [this] {
                    LogFileSettingsDialog dialog(core_->profile(), *prompter_, this);
                    return dialog.exec() == QDialog::Accepted;
                },
                [this] {
                    TargetSoftwareDialog dialog(core_->state(), this);
                    dialog.exec();
                },
                [this] {
                    PreferencesDialog dialog(core_->profile(), *prompter_, this);
                    return dialog.exec() == QDialog::Accepted;
                }};
    actionDialogs_ = ActionDialogs{
        [this](SerialPortRole role,
               const DataSourceSettings& current) -> std::optional<LineValues> {
            SerialPortDialog dialog(role, current, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.values();
        },
        [this]() -> std::optional<UartDialogResult> {
            UartConfigurationDialog dialog(*prompter_, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return UartDialogResult{dialog.configuration().record(),
                                    dialog.configuration().monitorBaud()};
        },
        [this]() -> std::optional<NmeaModeValues> {
            NmeaSetupDialog dialog(*prompter_, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.values();
        },
        [this](const ReceiverInitSettings& stored) -> std::optional<ReceiverInitAccepted> {
            ReceiverInitDialog dialog(stored, *prompter_, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.accepted();
        },
        [this](int targetSwClass) -> std::optional<LowPowerSend> {
            LowPowerDialog dialog(targetSwClass, *prompter_, this);
            if (dialog.exec() != QDialog::Accepted) {
                return std::nullopt;
            }
            return dialog.sent();
        },
        [this](SendDataCommand& command, CommandOutput& output) {
            SendDataDialog dialog(command, output, this);
            dialog.exec();
        },
        [this](NavDialog& nav) {
            NavCommandDialog dialog(nav, *prompter_, this);
            return dialog.exec() == QDialog::Accepted;
        }};
    actionDialogs_.collectionFile = [this](const CollectionFileDialog& dialog) {
        return runCollectionFileBox(dialog, this);
    };
    FrameWindow& window = *this;
    core_ = std::make_unique<MainFrameCore>(profile, clock, forwarding_, window);
    timerDriver_ = std::make_unique<TimerDriver>(core_->timers(), clock);
    buildMenus();
    buildStatusBar();
    resize(900, 640);
    refresh();
}

// The views go first, while the state they read still exists; their frames do not count as
// closed by the user, so "OpenViews" keeps naming them for the next start.
CMainFrame::~CMainFrame() {
    shuttingDown_ = true;
    core_->shutDown();
    delete mdi_;
    mdi_ = nullptr;
}

void CMainFrame::setDialogs(Dialogs dialogs) {
    dialogs_ = std::move(dialogs);
}

QAction* CMainFrame::addCommand(QMenu* menu, const QString& text, const char* name,
                                std::function<void()> run) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return action;
}

void CMainFrame::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    openSourceAction_ =
        addCommand(file, QStringLiteral("Open &Data Source"), "actionOpenDataSource",
                   [this] { core_->openDataSourceCommand(); });
    openSourceAction_->setCheckable(true);
    addCommand(file, QStringLiteral("&Data Source..."), "actionDataSource",
               [this] { core_->dataSourceSetupCommand(); });
    file->addSeparator();
    openLogAction_ = addCommand(file, QStringLiteral("Open Log &File..."), "actionOpenLogFile",
                                [this] { core_->openLogFileCommand(); });
    openLogAction_->setCheckable(true);
    file->addSeparator();
    for (size_t i = 0; i < recentActions_.size(); ++i) {
        const std::string name = "actionRecentFile" + std::to_string(i + 1);
        recentActions_[i] =
            addCommand(file, QString(), name.c_str(), [this, i] { core_->openRecentFile(i); });
    }
    recentSeparator_ = file->addSeparator();
    addCommand(file, QStringLiteral("E&xit"), "actionExit", [this] { close(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    messagesMenu_ = new QMenu(QStringLiteral("M&essages"), view);
    messagesMenu_->setObjectName(QStringLiteral("menuMessages"));
    for (const ViewCommand& c : kViewCommands) {
        QMenu* menu = c.messages ? messagesMenu_ : view;
        const std::string name = "actionView" + std::to_string(c.slot);
        QAction* a = addCommand(menu, QString::fromLatin1(c.text), name.c_str(),
                                [this, slot = c.slot] { core_->toggleView(slot); });
        a->setCheckable(true);
        viewActions_[c.slot] = a;
        if (c.slot == kSlotRadar) {
            view->addMenu(messagesMenu_);
        }
    }
    view->addSeparator();
    closeAllAction_ = addCommand(view, QStringLiteral("Close A&ll"), "actionCloseAll",
                                 [this] { core_->closeAllViews(); });
    pauseAction_ = addCommand(view, QStringLiteral("&Pause Display"), "actionPauseDisplay",
                              [this] { core_->pauseDisplayCommand(); });
    pauseAction_->setCheckable(true);

    QMenu* setup = menuBar()->addMenu(QStringLiteral("&Setup"));
    setup->setObjectName(QStringLiteral("menuSetup"));
    addCommand(setup, QStringLiteral("&Target S/W..."), "actionTargetSw",
               [this] { core_->targetSoftwareCommand(); });
    addCommand(setup, QStringLiteral("&Preferences..."), "actionPreferences", [this] {
        if (dialogs_.preferences && dialogs_.preferences()) {
            core_->refreshViews();
        }
    });

    // The setting dialogs, then the Drovana popup while the target runs that software.
    navigationMenu_ = menuBar()->addMenu(QStringLiteral("&Navigation"));
    navigationMenu_->setObjectName(QStringLiteral("menuNavigation"));
    drovanaMenu_ = new QMenu(QStringLiteral("Dro&vana"), this);
    drovanaMenu_->setObjectName(QStringLiteral("menuDrovana"));
    for (const navdialog::MenuItem& item : navdialog::navigationMenu()) {
        const std::string name = "actionNavigation" + std::to_string(item.mid) +
                                 (item.subId != 0 ? "_" + std::to_string(item.subId) : "");
        QMenu* menu = item.drovana ? drovanaMenu_ : navigationMenu_;
        QAction* a = addCommand(menu, QString::fromLatin1(item.text), name.c_str(), [this, item] {
            if (item.poll) {
                core_->sendDrovanaPoll(item.subId);
            } else {
                core_->navigationCommand(item.mid, item.subId);
            }
        });
        receiverCommands_.emplace_back(a, CommandNeed::SourceWithoutNmea);
    }

    // The Action menu: NMEA traffic greys the binary commands and enables only the switch back.
    QMenu* actionMenu = menuBar()->addMenu(QStringLiteral("&Action"));
    actionMenu->setObjectName(QStringLiteral("menuAction"));
    const std::tuple<const char*, const char*, CommandNeed, void (MainFrameCore::*)()> actions[] = {
        {"Switch to &NMEA Protocol...", "actionSwitchToNmea", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::switchToNmeaCommand},
        {"Switch to &Zeph Protocol", "actionSwitchToZeph", CommandNeed::SourceAndNmea,
         &MainFrameCore::switchToBinaryCommand},
        {"S&ynchronize Protocol && Baud Rate", "actionSynchronize", CommandNeed::Source,
         &MainFrameCore::synchroniseCommand},
        {"Switch to &User1 Protocol", "actionSwitchToUser1", CommandNeed::Source,
         &MainFrameCore::switchToUser1Command},
        {"Set &Main Serial Port...", "actionSetMainPort", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::setMainSerialPortCommand},
        {"Set D&GPS Serial Port...", "actionSetDgpsPort", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::setDgpsSerialPortCommand},
        {"Set UART &Configuration...", "actionSetUartConfiguration", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::uartConfigurationCommand},
        {"&Initialize Data Source...", "actionInitializeDataSource", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::initializeDataSourceCommand},
        {"Set &Low Power...", "actionSetLowPower", CommandNeed::SourceWithoutNmea,
         &MainFrameCore::setLowPowerCommand},
        {"&Transmit Serial Message...", "actionTransmitSerialMessage", CommandNeed::Source,
         &MainFrameCore::transmitSerialMessageCommand},
    };
    for (const auto& [text, name, need, command] : actions) {
        QAction* a = addCommand(actionMenu, QString::fromLatin1(text), name,
                                [this, command = command] { ((*core_).*command)(); });
        receiverCommands_.emplace_back(a, need);
    }
    for (const auto& [item, name] :
         {std::pair{navdialog::kOperatingModeItem, "actionOperatingMode"},
          std::pair{navdialog::kMessageRateItem, "actionMessageRate"}}) {
        QAction* a = addCommand(actionMenu, QString::fromLatin1(item.text), name,
                                [this, mid = item.mid] { core_->navigationCommand(mid); });
        receiverCommands_.emplace_back(a, CommandNeed::SourceWithoutNmea);
    }
    actionMenu->addSeparator();
    const std::tuple<const char*, const char*, Collection> sets[] = {
        {"Set &Almanac...", "actionSetAlmanac", Collection::Almanac},
        {"Set &Ephemeris...", "actionSetEphemeris", Collection::Ephemeris}};
    for (const auto& [text, name, collection] : sets) {
        QAction* a = addCommand(
            actionMenu, QString::fromLatin1(text), name,
            [this, collection = collection] { core_->setCollectionCommand(collection); });
        receiverCommands_.emplace_back(a, CommandNeed::SourceWithoutNmea);
    }

    QMenu* poll = menuBar()->addMenu(QStringLiteral("&Poll"));
    poll->setObjectName(QStringLiteral("menuPoll"));
    const std::tuple<const char*, const char*, uint8_t> polls[] = {
        {"SW &Version", "actionPollSwVersion", kMidPollSwVersion},
        {"&Clock Status", "actionPollClockStatus", kMidPollClockStatus},
        {"&Nav Parameters", "actionPollNavParameters", kMidPollNavParameters}};
    for (const auto& [text, name, mid] : polls) {
        QAction* a = addCommand(poll, QString::fromLatin1(text), name,
                                [this, mid = mid] { core_->sendPoll(mid); });
        receiverCommands_.emplace_back(a, CommandNeed::SourceWithoutNmea);
    }
    const std::tuple<const char*, const char*, Collection> collections[] = {
        {"&Almanac...", "actionPollAlmanac", Collection::Almanac},
        {"&Ephemeris...", "actionPollEphemeris", Collection::Ephemeris}};
    for (const auto& [text, name, collection] : collections) {
        QAction* a =
            addCommand(poll, QString::fromLatin1(text), name, [this, collection = collection] {
                core_->pollCollectionCommand(collection);
            });
        receiverCommands_.emplace_back(a, CommandNeed::SourceWithoutNmea);
    }

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("menuWindow"));
    addCommand(window, QStringLiteral("&Cascade"), "actionCascade",
               [this] { mdi_->cascadeSubWindows(); });
    addCommand(window, QStringLiteral("&Tile"), "actionTile", [this] { mdi_->tileSubWindows(); });

    // The NMEA flag changes with the traffic: a menu shows the commands' state as it is now.
    for (QMenu* menu : {file, view, setup, navigationMenu_, actionMenu, poll}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::refresh);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    addCommand(help, QStringLiteral("&About ZephMon..."), "actionAbout", [this] {
        QMessageBox::about(this, QStringLiteral("About ZephMon"),
                           QStringLiteral("ZephMon Version " ZEPHMON_VERSION "\nReceiver monitor"));
    });
}

void CMainFrame::buildStatusBar() {
    for (int i = 0; i < kStatusPanes; ++i) {
        panes_[i] = new QLabel(this);
        panes_[i]->setObjectName(QStringLiteral("pane%1").arg(i));
        panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == kPaneMessage) {
            statusBar()->addWidget(panes_[i], 1);
        } else {
            statusBar()->addPermanentWidget(panes_[i]);
        }
    }
    panes_[kPaneMessage]->setText(QStringLiteral("Ready"));
    setPaneWidth(kPaneActivity, core_->blinkPaneWidth());
}

void CMainFrame::setPaneWidth(StatusPane pane, int chars) {
    paneChars_[pane] = chars;
    panes_[pane]->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 6);
}

int CMainFrame::paneWidthInChars(StatusPane pane) const {
    return paneChars_[pane];
}

void CMainFrame::updateDrovanaMenus() {
    QAction* drovanaView = viewActions_[kSlotDrovana];
    const bool present = messagesMenu_->actions().contains(drovanaView);
    if (core_->drovanaMenus() && !present) {
        const QList<QAction*> actions = messagesMenu_->actions();
        QAction* before =
            actions.size() > kDrovanaMessagesPosition ? actions[kDrovanaMessagesPosition] : nullptr;
        messagesMenu_->insertAction(before, drovanaView);
    } else if (!core_->drovanaMenus() && present) {
        messagesMenu_->removeAction(drovanaView);
    }
    const bool drovanaPresent = navigationMenu_->actions().contains(drovanaMenu_->menuAction());
    if (core_->drovanaMenus() && !drovanaPresent) {
        navigationMenu_->addMenu(drovanaMenu_);
    } else if (!core_->drovanaMenus() && drovanaPresent) {
        navigationMenu_->removeAction(drovanaMenu_->menuAction());
    }
    if (!core_->drovanaMenus() && core_->viewOpen(kSlotDrovana)) {
        post([this] { core_->followTargetClass(); }); // not while the frame is being refreshed
    }
}

void CMainFrame::updateRecentFiles() {
    const std::vector<std::string>& files = core_->recentFiles();
    for (size_t i = 0; i < recentActions_.size(); ++i) {
        recentActions_[i]->setVisible(i < files.size());
        if (i < files.size()) {
            recentActions_[i]->setText(QString::fromStdString(recentFileMenuText(i, files[i])));
        }
    }
    recentSeparator_->setVisible(!files.empty());
}

void CMainFrame::refresh() {
    setWindowTitle(QString::fromStdString(core_->title()));
    openSourceAction_->setChecked(core_->sourceOpen());
    openLogAction_->setChecked(core_->logOpen());
    pauseAction_->setChecked(core_->paused());
    pauseAction_->setEnabled(core_->sourceOpen());
    closeAllAction_->setEnabled(core_->anyViewOpen());
    for (size_t slot = 0; slot < viewActions_.size(); ++slot) {
        viewActions_[slot]->setChecked(core_->viewOpen(slot));
    }
    for (const auto& [action, need] : receiverCommands_) {
        action->setEnabled(core_->commandEnabled(need));
    }
    updateDrovanaMenus();
    updateRecentFiles();

    const ProgramState& state = core_->state();
    panes_[kPaneTargetSw]->setText(QString::fromStdString(state.targetSwText));
    panes_[kPaneLog]->setText(core_->logOpen() ? QStringLiteral("LOG") : QString());
    panes_[kPanePause]->setText(core_->paused() ? QStringLiteral("PAUSE") : QString());
    panes_[kPaneSource]->setText(core_->sourceOpen() ? QStringLiteral("SOURCE") : QString());
    setPaneWidth(kPaneSource, core_->sourcePaneWidth());
    panes_[kPaneAutoDetect]->setText(state.autoDetect ? QStringLiteral("AUTO") : QString());
    blink();
}

// Once per received chunk: the blinker, and which protocol arrives (a binary message clears
// the NMEA flag without telling anyone).
void CMainFrame::blink() {
    setPaneWidth(kPaneActivity, core_->blinkPaneWidth());
    panes_[kPaneProtocol]->setText(core_->state().nmeaArriving ? QStringLiteral("NMEA")
                                                               : QStringLiteral("BIN"));
}

void CMainFrame::post(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void CMainFrame::openViewFrame(size_t slot) {
    const ViewContext ctx{core_->state(), &core_->profile(), &forwarding_,
                          [this] { core_->refreshViews(); }};
    MonitorView* view = createView(slot, ctx);
    if (view == nullptr) {
        return;
    }
    auto* frame = new CFrameView(slot, view, core_->profile(), [this](size_t closed) {
        frames_[closed] = nullptr;
        if (!shuttingDown_) {
            core_->viewClosed(closed);
        }
    });
    frames_[slot] = frame;
    mdi_->addSubWindow(frame);
    frame->showPlaced();
    core_->viewOpened(slot, *view);
}

void CMainFrame::closeViewFrame(size_t slot) {
    if (frames_[slot] != nullptr) {
        frames_[slot]->close();
    }
}

bool CMainFrame::runDataSourceDialog(bool cancelEnabled) {
    return dialogs_.dataSource(cancelEnabled);
}

bool CMainFrame::runLogSettingsDialog() {
    return dialogs_.logSettings();
}

void CMainFrame::showTargetSoftwareDialog() {
    post([this] {
        if (!core_->state().targetDialogOpen) {
            dialogs_.targetSoftware();
            refresh();
        }
    });
}

void CMainFrame::processPendingEvents() {
    QCoreApplication::sendPostedEvents();
}

std::optional<LineValues> CMainFrame::runSerialPortDialog(SerialPortRole role,
                                                          const DataSourceSettings& current) {
    return actionDialogs_.serialPort ? actionDialogs_.serialPort(role, current) : std::nullopt;
}

std::optional<UartDialogResult> CMainFrame::runUartConfigurationDialog() {
    return actionDialogs_.uartConfiguration ? actionDialogs_.uartConfiguration() : std::nullopt;
}

std::optional<NmeaModeValues> CMainFrame::runNmeaSetupDialog() {
    return actionDialogs_.nmeaSetup ? actionDialogs_.nmeaSetup() : std::nullopt;
}

std::optional<ReceiverInitAccepted>
CMainFrame::runReceiverInitDialog(const ReceiverInitSettings& stored) {
    return actionDialogs_.receiverInit ? actionDialogs_.receiverInit(stored) : std::nullopt;
}

std::optional<LowPowerSend> CMainFrame::runLowPowerDialog(int targetSwClass) {
    return actionDialogs_.lowPower ? actionDialogs_.lowPower(targetSwClass) : std::nullopt;
}

void CMainFrame::runSendDataDialog(SendDataCommand& command, CommandOutput& output) {
    if (actionDialogs_.sendData) {
        actionDialogs_.sendData(command, output);
    }
}

bool CMainFrame::runNavDialog(NavDialog& dialog) {
    const bool sent = actionDialogs_.navDialog && actionDialogs_.navDialog(dialog);
    refresh();
    return sent;
}

ChosenFile CMainFrame::runCollectionFileDialog(const CollectionFileDialog& dialog) {
    return actionDialogs_.collectionFile ? actionDialogs_.collectionFile(dialog) : ChosenFile{};
}

// At the first showing the frame takes its remembered normal rectangle; a program closed
// maximised or minimised starts as a normal window.
void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placed_) {
        placed_ = true;
        applyPlacement(*this, core_->profile(), settings::kMain);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!ended_ && !core_->exitRequested()) {
        event->ignore();
        return;
    }
    if (!ended_) {
        ended_ = true;
        savePlacements();
    }
    event->accept();
}

// A close in progress may be waiting in its question, so this one does not go through close:
// QCoreApplication::exit leaves the question's event loop and the program's alike.
void CMainFrame::endRun(int status) {
    if (!ended_) {
        ended_ = true;
        core_->endRun();
        savePlacements();
    }
    QCoreApplication::exit(status);
}

// The views stay open for the next start; each remembers where it was.
void CMainFrame::savePlacements() {
    for (CFrameView* frame : frames_) {
        if (frame != nullptr) {
            frame->savePlacement();
        }
    }
    savePlacement(core_->profile(), settings::kMain, placementOf(*this));
}

} // namespace zeph::monitor
