#pragma once

// The rules of the small dialogs that each compose one receiver setting: the Navigation menu's
// (Mode Mask, DOP Mask, Elevation Mask, Power Mask, Static Navigation, DGPS Mode, DGPS Source,
// SBAS Control and the Drovana commands) and the Action menu's Switch Operating Mode and Set
// Message Rate. Each dialog is described once as data: its controls in group boxes on a grid,
// the command field each control edits, and a rule that decides which controls are enabled.
// The values, limits and refusals are the command catalogue's; the Qt dialog only shows them.

#include "monitor/commands/command_builders.h"
#include "monitor/messages/current_settings_poll.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zeph::monitor {

class NavDialog;

namespace navdialog {

enum class Kind : uint8_t { Label, Radio, Check, Edit, List };

// How an edit's text becomes its field's value on Send.
enum class Entry : uint8_t {
    Transfer, // the framework's transfer: a number of the field's kind within its range
    Own,      // read as the field's kind with whatever the text starts with (0 when nothing);
              // the command's own check judges the value
    Fixed,    // a text of its own that edits no field
};

struct Control {
    Kind kind;
    const char* key;  // the field it edits (radios share their choice field), or its own name
    int32_t code = 0; // a radio's value
    const char* text = nullptr; // null: the catalogue's choice text (radio) or label (check)
    uint8_t row = 0;            // place in its group's grid
    uint8_t column = 0;
    uint8_t span = 1;
    const char* enableKey = nullptr; // the name the enabling rule uses; null: `key`
    Entry entry = Entry::Transfer;
    bool hidden = false;

    const char* enabling() const { return enableKey != nullptr ? enableKey : key; }
};

// A group of controls: a titled group box, or a plain grid when the title is null.
struct Group {
    const char* title;
    std::span<const Control> controls;
};

// Re-run at opening and after each click on a radio or check box.
using EnableRule = void (*)(NavDialog&);
// Run once at opening, after the values are taken from the record or the defaults.
using OpeningRule = void (*)(NavDialog&, bool current, int targetSwClass);

struct Layout {
    uint8_t mid;
    uint8_t subId;
    std::span<const Group> groups;
    EnableRule enable = nullptr;
    OpeningRule opening = nullptr;
};

std::span<const Layout> layouts();
const Layout* findLayout(uint8_t mid, uint8_t subId = 0);

constexpr const char* kSend = "Send";
constexpr const char* kCancel = "Cancel";
constexpr const char* kEnterInteger = "Please enter an integer.";
constexpr const char* kEnterNumber = "Please enter a number.";

// One item of the Navigation menu (or of its Drovana popup, when `drovana` is set): a dialog of
// this family, or a Drovana poll that goes at once (`poll`).
struct MenuItem {
    const char* text;
    uint8_t mid;
    uint8_t subId;
    bool drovana;
    bool poll;
};
std::span<const MenuItem> navigationMenu();
// The Action menu's two dialogs of the family.
constexpr MenuItem kOperatingModeItem = {"Switch &Operating Mode...", 150, 0, false, false};
constexpr MenuItem kMessageRateItem = {"Set Message &Rate...", 166, 0, false, false};

} // namespace navdialog

class NavDialog {
public:
    // A dialog of the family. The polled ones take the echoed `record` when it holds one (its
    // first byte, the MID, is not 0) and append ": Current" to their caption, else their defaults
    // and ": Default"; the others open with their defaults and their plain caption.
    // `targetSwClass` chooses the track-smoothing default of Mode Mask. `mid` must have a layout.
    NavDialog(uint8_t mid, uint8_t subId, const PolledSettings* record, int targetSwClass);

    const CommandSpec& command() const { return *spec_; }
    const navdialog::Layout& layout() const { return *layout_; }
    const std::string& caption() const { return caption_; }
    bool current() const { return current_; }

    // What the controls show.
    int64_t value(std::string_view key) const { return values_.integer(key); }
    bool checked(const navdialog::Control& control) const;
    std::string text(std::string_view key) const;
    bool enabled(std::string_view enableKey) const;
    // A list's entries, and the index of its current one (-1: none).
    std::vector<std::string> entries(std::string_view key) const;
    int chosenEntry(std::string_view key) const;

    // What the user does: a radio or list entry chosen (by its code), a check box set, a text
    // typed. Radios and check boxes re-run the enabling rule.
    void choose(std::string_view key, int32_t code);
    void chooseEntry(std::string_view key, int index);
    void setChecked(std::string_view key, bool checked);
    void setText(std::string_view key, std::string text);

    // Send: the texts transferred in control order, then the command's checks; the first
    // refusal keeps the dialog open. Without one, payload() is what goes to the receiver.
    std::optional<std::string> send();
    const std::vector<uint8_t>& payload() const { return payload_; }

    // For the rules.
    void setEnabled(std::string_view enableKey, bool enabled);
    void setValue(std::string_view key, double value) { values_.set(key, value); }
    void runEnableRule();

private:
    const navdialog::Control* control(std::string_view key) const;

    const CommandSpec* spec_;
    const navdialog::Layout* layout_;
    std::string caption_;
    bool current_ = false;
    CommandValues values_;
    std::vector<std::pair<std::string, std::string>> texts_;
    std::vector<std::string> disabled_;
    std::vector<uint8_t> payload_;
};

} // namespace zeph::monitor
