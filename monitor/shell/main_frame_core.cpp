#include "monitor/shell/main_frame_core.h"

#include "monitor/commands/command_builders.h"
#include "monitor/commands/command_catalogue.h"
#include "monitor/shell/capture_file.h"
#include "monitor/shell/data_source_setup.h"

#include "common/text/strprintf.h"

#include <algorithm>

namespace zeph::monitor {

MainFrameCore::MainFrameCore(ProfileFile& profile, Clock& clock, Prompter& prompter,
                             FrameWindow& window)
    : profile_(profile), clock_(clock), prompter_(prompter), window_(window),
      log_(clock, profile, [this] { window_.refresh(); }), decoder_(state_, *this, prompter),
      timers_(clock, [this] { return sourceOpen_ && doc_ != nullptr && doc_->running(); }),
      sendData_(prompter), collectionFiles_(prompter) {
    prepareSettingsFile(profile_, prompter_);
    recent_ = std::make_unique<RecentFiles>(profile_);
    openViews_ = profile_.getString(settings::kMain, settings::kOpenViews, "");
    openViews_.resize(settings::kViewSlotCount, '0');
    log_.setSettingsDialog([this] {
        return window_.runLogSettingsDialog() ? MessageLog::DialogResult::Ok
                                              : MessageLog::DialogResult::Cancelled;
    });
}

MainFrameCore::~MainFrameCore() {
    shutDown();
}

void MainFrameCore::start() {
    dataSourceSetupCommand();
}

void MainFrameCore::startWith(const DataSourceSettings& source, bool withLog) {
    firstDataSourceDialog_ = false;
    DataSourceSettings stored = source;
    if (stored.src == kSourceFile) { // a later start from another folder still finds it
        stored.fileName = absoluteFileName(stored.fileName);
    }
    stored.save(profile_);
    reopenViews();
    if (!withLog) {
        openDataSourceCommand();
        return;
    }
    // The log opens before the source so that it holds the first message; being this run's own
    // log, it raises no question about a different one.
    log_.open(false);
    openSource();
    if (sourceOpen_ && log_.isOpen()) {
        sendLogStartPolls();
    }
    window_.refresh();
}

bool MainFrameCore::startFromCommandLine(const std::optional<DataSourceSettings>& source,
                                         bool withLog) {
    if (source) {
        startWith(*source, withLog);
    } else {
        start();
        if (withLog) {
            startLog();
        }
    }
    if (!withLog || log_.isOpen() || ending_) {
        return true;
    }
    window_.post([this, text = strprintf(kCannotOpenLog, log_.fileName().c_str())] {
        prompter_.tell(text, Prompter::Icon::Warning);
    });
    return false;
}

CFeedDoc& MainFrameCore::ensureDocument() {
    if (doc_ == nullptr) {
        const FeedContext ctx{decoder_, state_, *this, log_, timers_, prompter_, clock_, &profile_};
        DocumentListener& frame = *this;
        doc_ = std::make_unique<CFeedDoc>(ctx, frame);
    }
    return *doc_;
}

bool MainFrameCore::anyViewOpen() const {
    for (const ViewObserver* v : views_) {
        if (v != nullptr) {
            return true;
        }
    }
    return false;
}

void MainFrameCore::markView(size_t slot, bool open) {
    openViews_[slot] = open ? '1' : '0';
    profile_.writeString(settings::kMain, settings::kOpenViews, openViews_);
}

void MainFrameCore::openView(size_t slot) {
    if (slot == kSlotDrovana && !drovanaMenus()) {
        return;
    }
    if (views_[slot] == nullptr) {
        ensureDocument();
        window_.openViewFrame(slot);
    }
}

void MainFrameCore::toggleView(size_t slot) {
    if (slot >= views_.size()) {
        return;
    }
    if (views_[slot] != nullptr) {
        window_.closeViewFrame(slot);
    } else {
        openView(slot);
    }
    window_.refresh();
}

void MainFrameCore::viewOpened(size_t slot, ViewObserver& view) {
    views_[slot] = &view;
    ensureDocument().addView(view);
    markView(slot, true);
    window_.refresh();
}

// A source is open only while a view shows it: closing the last view closes the source.
void MainFrameCore::viewClosed(size_t slot) {
    if (views_[slot] == nullptr) {
        return;
    }
    if (doc_ != nullptr) {
        doc_->removeView(*views_[slot]);
    }
    views_[slot] = nullptr;
    markView(slot, false);
    if (!anyViewOpen() && sourceOpen_) {
        closeSource();
    }
    window_.refresh();
}

void MainFrameCore::followTargetClass() {
    if (!drovanaMenus() && views_[kSlotDrovana] != nullptr) {
        window_.closeViewFrame(kSlotDrovana);
    }
}

void MainFrameCore::closeAllViews() {
    for (size_t slot = 0; slot < views_.size(); ++slot) {
        if (views_[slot] != nullptr) {
            window_.closeViewFrame(slot);
        }
    }
    window_.refresh();
}

void MainFrameCore::closeSource() {
    sourceOpen_ = false;
    if (paused_) {
        pauseDisplayCommand();
    }
    if (doc_ != nullptr) {
        doc_->closeSource();
    }
}

void MainFrameCore::openDataSourceCommand() {
    if (sourceOpen_) {
        log_.close();
        closeSource();
    } else {
        if (log_.isOpen()) {
            switch (prompter_.ask(kDifferentLogQuestion, Prompter::Icon::Question,
                                  Prompter::Buttons::YesNoCancel)) {
            case Prompter::Answer::Yes:
                log_.open(true);
                break;
            case Prompter::Answer::Cancel:
                window_.refresh();
                return;
            default:
                break;
            }
        }
        openSource();
    }
    window_.refresh();
}

void MainFrameCore::openSource() {
    if (ending_) {
        return;
    }
    DataSourceSettings settings;
    settings.load(profile_);
    sourceOpen_ = ensureDocument().openSource(settings);
    if (sourceOpen_ && settings.src == kSourceFile) {
        recent_->add(settings.fileName, settings.fileType);
    }
}

// The document is replaced (closing any source), then the remembered views open on it. A
// source that was open opens again from the new settings.
void MainFrameCore::dataSourceSetupCommand() {
    const bool cancelEnabled = !firstDataSourceDialog_;
    firstDataSourceDialog_ = false;
    if (!window_.runDataSourceDialog(cancelEnabled)) {
        return;
    }
    const bool reopen = sourceOpen_;
    if (doc_ != nullptr && anyViewOpen()) {
        window_.processPendingEvents();
    }
    reopenViews();
    if (reopen) {
        openDataSourceCommand();
    }
    window_.refresh();
}

void MainFrameCore::reopenViews() {
    const std::string remembered = openViews_;
    for (size_t slot = 0; slot < views_.size(); ++slot) {
        if (views_[slot] != nullptr) {
            window_.closeViewFrame(slot);
        }
    }
    closeSource();
    doc_.reset();
    openViews_ = remembered;
    profile_.writeString(settings::kMain, settings::kOpenViews, openViews_);
    for (size_t slot = 0; slot < views_.size(); ++slot) {
        if (openViews_[slot] == '1') {
            openView(slot);
        }
    }
}

void MainFrameCore::pauseDisplayCommand() {
    paused_ = !paused_;
    if (doc_ != nullptr) {
        doc_->setPause(paused_);
    }
    if (!paused_) {
        blinkWide_ = false;
    }
    window_.refresh();
    window_.blink();
}

void MainFrameCore::openLogFileCommand() {
    if (log_.isOpen()) {
        log_.close();
    } else if (window_.runLogSettingsDialog()) {
        startLog();
    }
    window_.refresh();
}

// Both answers are logged at the start of a new file.
void MainFrameCore::startLog() {
    if (ending_) {
        return;
    }
    log_.open(false);
    if (sourceOpen_) {
        sendLogStartPolls();
    }
}

void MainFrameCore::sendLogStartPolls() {
    sendPoll(kMidPollSwVersion);
    sendPoll(kMidPollNavParameters);
}

void MainFrameCore::openRecentFile(size_t index) {
    if (index >= recent_->files().size()) {
        return;
    }
    const std::string file = recent_->files()[index];
    const std::string fileType = recent_->fileType(index);
    if (!opensAsCapture(file)) {
        prompter_.tell(sourcedialog::kCannotOpen);
        recent_->remove(file);
        window_.refresh();
        return;
    }
    profile_.writeInt(settings::kDataSrc, settings::kSrc, kSourceFile);
    profile_.writeString(settings::kDataSrc, settings::kFileName, file);
    if (!fileType.empty()) {
        profile_.writeString(settings::kDataSrc, settings::kFileType, fileType);
    }
    if (doc_ != nullptr && anyViewOpen()) {
        window_.processPendingEvents();
    }
    reopenViews();
    openDataSourceCommand();
}

void MainFrameCore::targetSoftwareCommand() {
    if (!state_.targetDialogOpen) {
        window_.showTargetSoftwareDialog();
    }
}

void MainFrameCore::refreshViews() {
    if (doc_ != nullptr) {
        doc_->refreshViews();
    }
}

void MainFrameCore::sendPoll(uint8_t mid) {
    openView(kSlotResponse);
    const uint8_t payload[] = {mid, 0};
    if (doc_ != nullptr) {
        doc_->feed().sendBinary(payload, sizeof payload);
    }
    window_.refresh();
}

void MainFrameCore::sendDrovanaPoll(uint8_t sid) {
    const uint8_t payload[] = {kMidDrovana, sid};
    if (doc_ != nullptr) {
        doc_->feed().sendBinary(payload, sizeof payload);
    }
}

void MainFrameCore::pollCollectionCommand(Collection collection) {
    const std::string name = acceptChosenFile(
        window_.runCollectionFileDialog(collectionFileDialog(collection, true)), prompter_);
    if (name.empty()) {
        return;
    }
    collectionFiles_.setPending(collection, name);
    openView(kSlotResponse);
    const CommandSpec& poll = *findCommand(collection == Collection::Almanac ? 146 : 147);
    const std::vector<uint8_t> payload = encodePayload(poll, defaultValues(poll));
    if (doc_ != nullptr) {
        doc_->feed().sendBinary(payload.data(), payload.size());
    }
    window_.refresh();
}

void MainFrameCore::setCollectionCommand(Collection collection) {
    if (doc_ == nullptr || !sourceOpen_) {
        return;
    }
    const std::string name = acceptChosenFile(
        window_.runCollectionFileDialog(collectionFileDialog(collection, false)), prompter_);
    if (name.empty() || doc_ == nullptr) {
        return;
    }
    if (collection == Collection::Almanac) {
        collectionFiles_.sendAlmanac(name, doc_->feed());
    } else {
        collectionFiles_.sendEphemeris(name, doc_->feed());
    }
}

// Posted, as the decoder that completes the collection is still at work; the table is read when
// the file is written.
void MainFrameCore::almanacComplete() {
    window_.post([this] { collectionFiles_.save(Collection::Almanac, state_, clock_.wallTime()); });
}

void MainFrameCore::ephemerisComplete() {
    window_.post(
        [this] { collectionFiles_.save(Collection::Ephemeris, state_, clock_.wallTime()); });
}

void MainFrameCore::currentSettingsPoll(uint8_t mid) {
    if (doc_ == nullptr || !sourceOpen_) {
        return;
    }
    if (!currentSettingsPollDue(mid, state_.targetSwClass)) {
        runNavDialog(mid, 0, nullptr);
        return;
    }
    const std::vector<uint8_t> payload = currentSettingsPollPayload(mid);
    doc_->feed().sendBinary(payload.data(), payload.size());
    doc_->feed().currentSettingsPolls().start(mid);
}

void MainFrameCore::navigationCommand(uint8_t mid, uint8_t subId) {
    const auto polled = polledCommandMids();
    if (subId == 0 && std::find(polled.begin(), polled.end(), mid) != polled.end()) {
        currentSettingsPoll(mid);
    } else if (doc_ != nullptr && sourceOpen_) {
        runNavDialog(mid, subId, nullptr);
    }
}

void MainFrameCore::runNavDialog(uint8_t mid, uint8_t subId, const PolledSettings* record) {
    if (navdialog::findLayout(mid, subId) == nullptr) {
        return;
    }
    NavDialog dialog(mid, subId, record, state_.targetSwClass);
    // The source may have closed while the dialog was open.
    if (window_.runNavDialog(dialog) && doc_ != nullptr && sourceOpen_) {
        doc_->feed().sendBinary(dialog.payload().data(), dialog.payload().size());
    }
}

LineSwitching* MainFrameCore::lines() {
    return doc_ != nullptr && sourceOpen_ ? doc_->feed().lines() : nullptr;
}

// A line sequence whose new source did not open leaves the frame without one.
void MainFrameCore::sourceReopened(bool opened) {
    if (!opened && sourceOpen_) {
        closeSource();
    }
    window_.refresh();
}

void MainFrameCore::switchToNmeaCommand() {
    if (lines() == nullptr) {
        return;
    }
    if (const std::optional<NmeaModeValues> values = window_.runNmeaSetupDialog()) {
        if (LineSwitching* l = lines()) {
            l->switchProtocol(kSwitchToNmea, values);
        }
    }
    window_.refresh();
}

void MainFrameCore::switchToBinaryCommand() {
    if (LineSwitching* l = lines()) {
        l->switchProtocol(kSwitchToBinary, std::nullopt);
    }
    window_.refresh();
}

void MainFrameCore::synchroniseCommand() {
    if (LineSwitching* l = lines()) {
        l->synchronise();
    }
    window_.refresh();
}

void MainFrameCore::switchToUser1Command() {
    if (lines() != nullptr) {
        const CommandSpec& user1 = *findCommand(kMidSetProtocol);
        const std::vector<uint8_t> payload = encodePayload(user1, defaultValues(user1));
        doc_->feed().sendBinary(payload.data(), payload.size());
    }
}

void MainFrameCore::setMainSerialPortCommand() {
    if (lines() == nullptr) {
        return;
    }
    DataSourceSettings current;
    current.load(profile_);
    if (const auto line = window_.runSerialPortDialog(SerialPortRole::Main, current)) {
        if (LineSwitching* l = lines()) {
            l->setMainSerialPort(*line);
        }
    }
    window_.refresh();
}

void MainFrameCore::setDgpsSerialPortCommand() {
    if (lines() == nullptr) {
        return;
    }
    DataSourceSettings current;
    current.load(profile_);
    if (const auto line = window_.runSerialPortDialog(SerialPortRole::Dgps, current)) {
        if (LineSwitching* l = lines()) {
            l->setDgpsSerialPort(*line);
        }
    }
}

void MainFrameCore::uartConfigurationCommand() {
    if (lines() == nullptr) {
        return;
    }
    if (const std::optional<UartDialogResult> result = window_.runUartConfigurationDialog()) {
        if (LineSwitching* l = lines()) {
            l->configureUarts(result->record, result->monitorBaud);
        }
    }
    window_.refresh();
}

void MainFrameCore::initializeDataSourceCommand() {
    if (lines() == nullptr) {
        return;
    }
    ReceiverInitSettings stored;
    stored.load(profile_);
    const std::optional<ReceiverInitAccepted> accepted = window_.runReceiverInitDialog(stored);
    if (!accepted) {
        return;
    }
    accepted->settings.save(profile_);
    if (LineSwitching* l = lines()) {
        l->setPeriodicInitialisation(accepted->periodSeconds);
        l->initialise();
    }
    window_.refresh();
}

void MainFrameCore::setLowPowerCommand() {
    if (lines() == nullptr) {
        return;
    }
    const std::optional<LowPowerSend> sent = window_.runLowPowerDialog(state_.targetSwClass);
    if (!sent || sent->refusal || lines() == nullptr) {
        return;
    }
    for (const std::vector<uint8_t>& payload : sent->payloads) {
        doc_->feed().sendBinary(payload.data(), payload.size());
    }
    if (sent->stopAutoDetect) {
        state_.autoDetect = false;
    }
    window_.refresh();
}

// Only a serial source can take what the dialog sends.
void MainFrameCore::transmitSerialMessageCommand() {
    if (lines() == nullptr) {
        return;
    }
    window_.runSendDataDialog(sendData_, doc_->feed());
    window_.refresh();
}

bool MainFrameCore::exitRequested() {
    if (log_.isOpen()) {
        if (prompter_.ask(kExitQuestion, Prompter::Icon::Question, Prompter::Buttons::YesNo) !=
            Prompter::Answer::Yes) {
            return false;
        }
        log_.close();
    }
    return true;
}

void MainFrameCore::endRun() {
    ending_ = true;
    log_.close();
}

void MainFrameCore::shutDown() {
    if (doc_ != nullptr) {
        doc_->closeSource();
    }
    sourceOpen_ = false;
    views_.fill(nullptr);
    log_.close();
}

std::string MainFrameCore::title() const {
    DataSourceSettings settings;
    settings.load(profile_);
    std::string t =
        kTitlePrefix + state_.targetSwText + ") on " + settings.serPort + "/" + settings.serBaud;
    if (log_.isOpen()) {
        t += " -> " + log_.fileName() + " since " + localTimeText(log_.openedAt(), "%c");
    }
    return t;
}

bool MainFrameCore::commandEnabled(CommandNeed need) const {
    switch (need) {
    case CommandNeed::Source:
        return sourceOpen_;
    case CommandNeed::SourceAndNmea:
        return sourceOpen_ && state_.nmeaArriving;
    case CommandNeed::SourceWithoutNmea:
        return sourceOpen_ && !state_.nmeaArriving;
    }
    return false;
}

int MainFrameCore::sourcePaneWidth() const {
    return sourceOpen_ ? kSourcePaneOpenWidth : kSourcePaneClosedWidth;
}

// Link-error and unknown-message lines reach the views as MID 255 text; the log already has
// them.
void MainFrameCore::showText(std::string_view text, uint16_t code) {
    if (doc_ == nullptr || !doc_->running() || paused_) {
        return;
    }
    decoder_.storeViewText(text, code, viewText_);
    doc_->updateAllViews(kHintNewMessage, &viewText_);
}

void MainFrameCore::nmeaArrivingStarted() {
    for (size_t slot : {kSlotDebug, kSlotError}) {
        if (openViews_[slot] != '1') {
            openView(slot);
        }
    }
    window_.refresh();
}

void MainFrameCore::activity() {
    blinkWide_ = !blinkWide_;
    window_.blink();
}

// The end of a capture closes the source and, with it, the log; posted, because the source
// that reports it is still at work.
void MainFrameCore::endOfData() {
    window_.post([this] {
        if (sourceOpen_) {
            openDataSourceCommand();
        }
    });
}

} // namespace zeph::monitor
