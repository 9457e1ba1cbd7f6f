#pragma once

#include "current_settings_poll.h"
#include "field_layout.h"
#include "program_state.h"
#include "rx_message.h"

#include "common/prompt/prompter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeph::monitor {

// The owning serial source's part in replies. Capture playback has no owning source, so none of
// these run there.
class SourceReplies {
public:
    virtual ~SourceReplies() = default;
    virtual void setSendNow(bool ready) = 0; // MID 18 OkToSend
    virtual void sendInitialisation() = 0;   // MID 128, after MID 134 was acknowledged
    virtual CurrentSettingsPolls& currentSettingsPolls() = 0; // MID 43 echoes
};

// Turns checked payloads and NMEA sentences into the source's RxMessage, with the side effects
// some messages carry.
class MessageDecoder {
public:
    MessageDecoder(ProgramState& state, MonitorEvents& events, Prompter& prompter);

    void decodeBinary(const uint8_t* payload, size_t length, RxMessage& msg, SourceReplies* source);
    // Files a sentence (or any text ending in CR LF) as MID 255 text.
    void storeText(const char* sentence, size_t length, RxMessage& msg);
    // Files a text the link or the decoder shows in the views (a link-error line with code
    // kLinkErrorCode, an "Unk: " line with 0) as MID 255 text, whole.
    void storeViewText(std::string_view text, uint16_t code, RxMessage& msg);

private:
    void reset(RxMessage& msg) const;
    void decodeFixed(const Layout& layout, const uint8_t* payload, size_t length, RxMessage& msg);
    void decodeSwVersion(const uint8_t* payload, size_t length, RxMessage& msg);
    void decodeError(const uint8_t* payload, size_t length, RxMessage& msg);
    void decodeVisibleList(const uint8_t* payload, size_t length, RxMessage& msg);
    void decodeRawDgps(const uint8_t* payload, size_t length, RxMessage& msg);
    void decodeCommandEcho(const uint8_t* payload, size_t length, RxMessage& msg,
                           SourceReplies* source);
    void reportUnknown(const uint8_t* payload, size_t length);
    void afterFixed(RxMessage& msg, SourceReplies* source);
    DoubleOrder doubleOrder() const;

    ProgramState& state_;
    MonitorEvents& events_;
    Prompter& prompter_;
};

} // namespace zeph::monitor
