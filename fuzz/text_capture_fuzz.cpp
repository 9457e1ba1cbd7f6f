// Text (CSV) captures played back: the source reads the file line by line, hands every message
// on at the pace of its time tags until the end of the data or a bad line, and the log renders
// each message handed on.

#include "fuzz_core.h"
#include "fuzz_files.h"

#include "monitor/messages/current_settings_poll.h"
#include "monitor/sources/text_source.h"
#include "monitor/sources/timer_service.h"

#include "common/clock/clock.h"

#include <map>

namespace {

using namespace zeph::monitor;
using zeph::fuzz::check;

class NoOwner : public SourceOwner {
public:
    CurrentSettingsPolls& currentSettingsPolls() override { return polls; }
    CurrentSettingsPolls polls;
};

// The pacing timer, fired by hand.
class HandTimers : public TimerService {
public:
    int registerTimer(int clientId, TimerClient& client, int periodMs) override {
        check(periodMs >= 0, "a pacing delay is never negative");
        running[++last] = {clientId, &client};
        return last;
    }
    void killTimer(int handle) override { running.erase(handle); }
    bool fire() {
        if (running.size() != 1) {
            return false;
        }
        const auto [clientId, client] = running.begin()->second;
        client->onTimer(clientId);
        return true;
    }
    std::map<int, std::pair<int, TimerClient*>> running;
    int last = 0;
};

// Counts what the source hands on; the messages themselves are rendered.
class CountingSink : public MessageSink {
public:
    explicit CountingSink(MessageSink& next) : next_(next) {}
    void onMessage(const RxMessage* msg) override {
        if (msg == nullptr) {
            ++ends;
            return;
        }
        check(msg->recordLength <= msg->record.size(), "a message fits its record");
        ++messages;
        next_.onMessage(msg);
    }
    int messages = 0;
    int ends = 0;

private:
    MessageSink& next_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = zeph::fuzz::ScratchFolder::instance().write("capture.csv", data, size);
    fuzz::FuzzCore core(0);
    CountingSink sink(core.sink);
    NoOwner owner;
    HandTimers timers;
    zeph::FakeClock clock;
    const SourceContext context{
        {core.decoder, core.state, core.sink, sink}, owner, timers, core.prompter, clock};
    TextSource source(context, path);
    check(source.open(""), "a capture file opens");
    source.start();
    // Every line, or every piece of 2047 characters of a longer one, is at most one message.
    size_t lines = 1 + size / 2047;
    for (size_t i = 0; i < size; ++i) {
        lines += data[i] == '\n' ? 1 : 0;
    }
    size_t fired = 0;
    while (timers.fire()) {
        check(++fired <= lines, "a line is at most one message");
    }
    check(source.finished(), "the playback ends with the data");
    check(sink.ends == (sink.messages > 0 ? 1 : 0), "the end of a playback is told once");
    return 0;
}
