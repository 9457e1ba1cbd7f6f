#pragma once

// The form views: fields of static text, each rewritten by the messages its view handles. The
// texts here are the whole of what the Navigation, Geodetic Nav, Drovana and DGPS views show;
// their widgets only place them, and zephdecode prints them.

#include "monitor/messages/rx_message.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// One form view's fields in form order, as they stand after the messages it has been given.
class FormTexts {
public:
    virtual ~FormTexts() = default;

    // Rewrites the fields the message carries. False when the view does not handle it (another
    // MID, or a MID 48 sub-identifier it ignores); the fields are then unchanged.
    virtual bool update(const RxMessage& msg) = 0;

    const std::vector<std::string>& texts() const { return texts_; }
    const std::string& text(size_t field) const { return texts_[field]; }

protected:
    explicit FormTexts(std::vector<std::string> opening) : texts_(std::move(opening)) {}
    std::vector<std::string> texts_;
};

enum class FormView { Navigation, Geodetic, Drovana, Dgps };

// "nav", "geodetic", "drovana" or "dgps".
std::optional<FormView> formViewNamed(std::string_view name);
// The view's fields as the view opens.
std::unique_ptr<FormTexts> makeFormTexts(FormView view);

// What a static text control shows for its text: "&&" is one '&', and a single '&' only marks
// the next character as the control's mnemonic.
std::string shownText(std::string_view text);

// The letters of a validity line: one per examined bit, from bit `highBit` down, separated by
// blanks; upper case where the bit is set, lower case where it is clear. `letters` holds them
// in that order.
std::string validityLetters(unsigned bits, int highBit, std::string_view letters);

} // namespace zeph::monitor
