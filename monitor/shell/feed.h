#pragma once

// The feed of a document: owns the data source, receives every message, gives it to the log
// and, unless the display is paused, to the views.

#include "monitor/link/message_sink.h"
#include "monitor/shell/line_switching.h"
#include "monitor/shell/message_log.h"
#include "monitor/shell/send_data.h"
#include "monitor/shell/settings.h"
#include "monitor/sources/data_source.h"

#include <memory>
#include <string_view>

namespace zeph::monitor {

// Update hints of the views.
constexpr int kHintNewMessage = 1;
constexpr int kHintSettingsChanged = 3;
constexpr int kHintNewSource = 4;

// What the feed tells its document.
class FeedListener {
public:
    virtual ~FeedListener() = default;
    virtual void updateViews(int hint, const RxMessage* msg) = 0;
    // The capture has ended: the frame closes the source and the log.
    virtual void endOfData() = 0;
    // A current-settings poll is answered or has run out: its dialog opens.
    virtual void openPolledDialog(const CurrentSettingsPolls::DialogToOpen& /*dialog*/) {}
    virtual void showTargetSoftwareDialog() {}
    // A line sequence closed the source and opened a new one: `opened` false when it failed.
    virtual void sourceReopened(bool /*opened*/) {}
};

// What every feed of the program shares.
struct FeedContext {
    MessageDecoder& decoder;
    ProgramState& state;
    MonitorEvents& events;
    MessageLog& log;
    TimerService& timers;
    Prompter& prompter;
    Clock& clock;
    // Where the line sequences save what they switch to; none keeps the defaults.
    ProfileFile* profile = nullptr;
};

class Feed : public MessageSink, public SourceOwner, public CommandOutput {
public:
    Feed(const FeedContext& ctx, FeedListener& listener);
    ~Feed() override;

    // Builds the source the settings name, opens and starts it. False when there is none.
    bool openSource(const DataSourceSettings& settings);
    void closeSource();
    DataSource* source() const { return source_.get(); }

    void setPause(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }
    const RxMessage& lastMessage() const { return *last_; }

    // Commands go out only through a serial source.
    void sendBinary(const uint8_t* payload, size_t length) override;
    void sendNmea(std::string_view body);
    void writeRaw(const uint8_t* bytes, size_t length) override;

    // The message entry; nullptr marks the end of the data.
    void onMessage(const RxMessage* msg) override;

    CurrentSettingsPolls& currentSettingsPolls() override { return polls_; }
    void serviceTick() override;
    void showTargetSoftwareDialog() override { listener_.showTargetSoftwareDialog(); }
    void secondTick() override;
    // MID 128 once the receiver acknowledged the faster rate.
    void sendInitialisation() override;

    // The protocol and line sequences; none unless a serial source is open, as only it can send.
    LineSwitching* lines();

private:
    class Line;
    friend class Line;
    std::unique_ptr<DataSource> makeSource(const DataSourceSettings& settings);

    FeedContext ctx_;
    FeedListener& listener_;
    std::unique_ptr<DataSource> source_;
    std::unique_ptr<RxMessage> last_;
    CurrentSettingsPolls polls_;
    std::unique_ptr<Line> line_;
    LineSwitching lines_;
    bool paused_ = false;
};

} // namespace zeph::monitor
