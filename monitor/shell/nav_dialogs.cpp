#include "nav_dialogs.h"

#include "common/text/strprintf.h"
#include "monitor/messages/program_state.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace zeph::monitor {
namespace navdialog {
namespace {

constexpr Control label(const char* key, const char* text, uint8_t row, uint8_t column,
                        uint8_t span = 1) {
    return {Kind::Label, key, 0, text, row, column, span};
}
constexpr Control radio(const char* key, int32_t code, uint8_t row, uint8_t column,
                        uint8_t span = 1, const char* enableKey = nullptr) {
    return {Kind::Radio, key, code, nullptr, row, column, span, enableKey};
}
constexpr Control check(const char* key, uint8_t row, uint8_t column, uint8_t span = 1,
                        const char* text = nullptr, const char* enableKey = nullptr) {
    return {Kind::Check, key, 0, text, row, column, span, enableKey};
}
constexpr Control edit(const char* key, uint8_t row, uint8_t column,
                       Entry entry = Entry::Transfer) {
    return {Kind::Edit, key, 0, nullptr, row, column, 1, nullptr, entry};
}
constexpr Control fixedEdit(const char* key, const char* text, uint8_t row, uint8_t column) {
    return {Kind::Edit, key, 0, text, row, column, 1, nullptr, Entry::Fixed};
}
constexpr Control list(const char* key, uint8_t row, uint8_t column, uint8_t span = 1) {
    return {Kind::List, key, 0, nullptr, row, column, span};
}

// MID 136
constexpr Control kTrackSmoothing[] = {check("enable-track-smoothing", 0, 0, 2)};
constexpr Control kAltitude[] = {
    label("altitude-hold-label", "Altitude hold mode:", 0, 0),
    radio("altitude-hold-mode", 0, 1, 0),
    radio("altitude-hold-mode", 1, 2, 0),
    radio("altitude-hold-mode", 2, 3, 0),
    radio("altitude-source", 0, 1, 1, 1, "last-computed-altitude"),
    radio("altitude-source", 1, 2, 1),
    edit("fixed-altitude", 3, 1),
};
constexpr Control kDegraded[] = {
    radio("degraded-mode", 0, 0, 0, 2), radio("degraded-mode", 1, 1, 0, 2),
    radio("degraded-mode", 2, 2, 0, 2), radio("degraded-mode", 3, 3, 0, 2),
    radio("degraded-mode", 4, 4, 0, 2), label("degraded-timeout", "Timeout (s):", 5, 0),
    edit("degraded-timeout", 5, 1),
};
constexpr Control kDeadReckoning[] = {
    check("enable-dr-mode", 0, 0, 2),
    label("dr-timeout", "Timeout (s):", 1, 0),
    edit("dr-timeout", 1, 1),
};
constexpr Group kModeMask[] = {{nullptr, kTrackSmoothing},
                               {"Altitude", kAltitude},
                               {"Degraded mode", kDegraded},
                               {"Dead reckoning", kDeadReckoning}};
void modeMaskEnabling(NavDialog& d) {
    const int64_t hold = d.value("altitude-hold-mode");
    if (hold == 1) {
        d.setValue("altitude-source", 1);
    }
    d.setEnabled("altitude-source", hold != 2);
    d.setEnabled("last-computed-altitude", hold == 0);
    d.setEnabled("fixed-altitude", hold != 2);
    d.setEnabled("degraded-timeout", d.value("degraded-mode") != 4);
    d.setEnabled("dr-timeout", d.value("enable-dr-mode") != 0);
}
void modeMaskOpening(NavDialog& d, bool current, int targetSwClass) {
    if (!current) {
        d.setValue("enable-track-smoothing", targetSwClass < kSw20 ? 1 : 0);
    }
}

// MID 137: each threshold beside its radio
constexpr Control kDop[] = {
    radio("mode", 0, 0, 0),
    radio("mode", 1, 1, 0),
    label("pdop-threshold", "Threshold:", 1, 1),
    edit("pdop-threshold", 1, 2),
    radio("mode", 2, 2, 0),
    label("hdop-threshold", "Threshold:", 2, 1),
    edit("hdop-threshold", 2, 2),
    radio("mode", 3, 3, 0),
    label("gdop-threshold", "Threshold:", 3, 1),
    edit("gdop-threshold", 3, 2),
    radio("mode", 4, 4, 0),
};
constexpr Group kDopMask[] = {{nullptr, kDop}};
void dopMaskEnabling(NavDialog& d) {
    const int64_t mode = d.value("mode");
    d.setEnabled("pdop-threshold", mode == 0 || mode == 1);
    d.setEnabled("hdop-threshold", mode == 0 || mode == 2);
    d.setEnabled("gdop-threshold", mode == 3);
}

// MID 138
constexpr Control kDgpsModeControls[] = {
    radio("mode", 0, 0, 0, 2),         radio("mode", 1, 1, 0, 2),
    radio("mode", 2, 2, 0, 2),         label("timeout", "Timeout (sec):", 3, 0),
    edit("timeout", 3, 1, Entry::Own),
};
constexpr Group kDgpsMode[] = {{nullptr, kDgpsModeControls}};
void dgpsModeEnabling(NavDialog& d) {
    d.setEnabled("timeout", d.value("mode") != 2);
}

// MID 133
constexpr Control kSources[] = {radio("source", 0, 0, 0), radio("source", 1, 1, 0),
                                radio("source", 2, 2, 0), radio("source", 3, 3, 0)};
constexpr Control kBeacon[] = {
    label("auto-scan", "Auto scan", 0, 0),
    check("auto-scan-frequency", 1, 0, 1, "&Frequency (Hz)", "auto-scan"),
    edit("frequency", 1, 1),
    check("auto-scan-bit-rate", 2, 0, 1, "&Bit rate (bps)", "auto-scan"),
    list("bit-rate", 2, 1),
};
constexpr Group kDgpsSource[] = {{nullptr, kSources}, {"Internal DGPS beacon receiver", kBeacon}};
void dgpsSourceEnabling(NavDialog& d) {
    const bool beacon = d.value("source") == 3;
    d.setEnabled("auto-scan", beacon);
    d.setEnabled("frequency", beacon && d.value("auto-scan-frequency") == 0);
    d.setEnabled("bit-rate", beacon && d.value("auto-scan-bit-rate") == 0);
}

// MID 170
constexpr Control kSbasPrn[] = {check("auto-scan", 0, 0, 2), label("prn", "PRN:", 1, 0),
                                edit("prn", 1, 1, Entry::Own)};
constexpr Control kSbasMode[] = {radio("mode", 0, 0, 0), radio("mode", 1, 1, 0)};
constexpr Control kSbasTimeout[] = {radio("timeout-source", 0, 0, 0),
                                    radio("timeout-source", 1, 1, 0)};
constexpr Group kSbas[] = {
    {"SBAS PRN", kSbasPrn}, {"Mode", kSbasMode}, {"Timeout source", kSbasTimeout}};
void sbasEnabling(NavDialog& d) {
    d.setEnabled("prn", d.value("auto-scan") == 0);
}
void sbasOpening(NavDialog& d, bool /*current*/, int /*targetSwClass*/) {
    if (d.value("auto-scan") != 0) {
        d.setText("prn", "");
    }
}

// MID 139 and 140: the tracking masks are the receiver's own, shown but not edited
constexpr Control kElevation[] = {
    label("heading", "Set minimum satellite elevation", 0, 0, 2),
    label("heading", "angle to be required for:", 1, 0, 2),
    label("tracking", "Tracking (deg)", 2, 0),
    fixedEdit("tracking", "5.0", 2, 1),
    label("navigation", "Navigation (deg)", 3, 0),
    edit("navigation", 3, 1),
};
constexpr Group kElevationMask[] = {{nullptr, kElevation}};
constexpr Control kPower[] = {
    label("heading", "Set minimum satellite signal", 0, 0, 2),
    label("heading", "power to be required for:", 1, 0, 2),
    label("tracking", "Tracking (dBHz)", 2, 0),
    fixedEdit("tracking", "28", 2, 1),
    label("navigation", "Navigation (dBHz)", 3, 0),
    edit("navigation", 3, 1),
};
constexpr Group kPowerMask[] = {{nullptr, kPower}};
void maskEnabling(NavDialog& d) {
    d.setEnabled("tracking", false);
}

// MID 143
constexpr Control kStatic[] = {radio("mode", 0, 0, 0), radio("mode", 1, 1, 0)};
constexpr Group kStaticNavigation[] = {{nullptr, kStatic}};

// MID 150; the fourth test mode is there but never offered
constexpr int32_t kTest1 = 0x1E51;
constexpr int32_t kTest2 = 0x1E52;
constexpr Control kOpModes[] = {
    radio("mode", 0, 0, 0),
    radio("mode", kTest1, 1, 0),
    label("period", "Period (s):", 1, 1),
    edit("period", 1, 2),
    radio("mode", kTest2, 2, 0),
    {Kind::Radio, "mode", 0x1E53, "Test &3", 3, 0, 1, "test-3", Entry::Transfer, true},
};
constexpr Control kTrackSv[] = {label("number", "number:", 0, 0), edit("number", 0, 1)};
constexpr Group kOperatingMode[] = {{nullptr, kOpModes},
                                    {"Use all 12 channels to track SV", kTrackSv}};
void operatingModeEnabling(NavDialog& d) {
    const int64_t mode = d.value("mode");
    d.setText("period", "10");
    d.setEnabled("period", mode == kTest1 || mode == kTest2);
    d.setEnabled("number", mode != 0);
    d.setEnabled("test-3", false);
}

// MID 166
constexpr Control kRate[] = {
    label("message-name-label", "Message name:", 0, 0),         list("message-name", 0, 1, 2),
    label("message-update-rate", "Message update rate:", 1, 0), edit("message-update-rate", 1, 1),
    label("message-update-rate", "(range: 0 - 30)", 1, 2),      check("send-message-now", 2, 0, 3),
};
constexpr Group kMessageRate[] = {{nullptr, kRate}};
void messageRateEnabling(NavDialog& d) {
    d.setEnabled("message-update-rate", d.value("send-message-now") == 0);
}

// MID 172
constexpr Control kDrInit[] = {
    label("latitude", "Latitude (deg):", 0, 0),
    edit("latitude", 0, 1),
    label("longitude", "Longitude (deg):", 1, 0),
    edit("longitude", 1, 1),
    label("altitude-from-ellipsoid", "Altitude from ellipsoid (m):", 2, 0),
    edit("altitude-from-ellipsoid", 2, 1),
    label("true-heading", "True heading (deg):", 3, 0),
    edit("true-heading", 3, 1),
};
constexpr Group kDrNavInit[] = {{nullptr, kDrInit}};
constexpr Control kDrModes[] = {radio("mode", 1, 0, 0), radio("mode", 2, 1, 0),
                                radio("mode", 4, 2, 0)};
constexpr Group kDrNavMode[] = {{nullptr, kDrModes}};
constexpr Control kGyro[] = {check("start-gyro-bias-calibration", 0, 0),
                             check("start-gyro-scale-factor-calibration", 1, 0)};
constexpr Group kGyroCal[] = {{nullptr, kGyro}};
constexpr Control kSensors[] = {
    label("baseline", "Baseline speed scale factor", 0, 0),
    edit("baseline-speed-scale-factor", 0, 1, Entry::Own),
    label("baseline", "Baseline gyro bias", 1, 0),
    edit("baseline-gyro-bias", 1, 1, Entry::Own),
    label("baseline", "Baseline gyro scale factor", 2, 0),
    edit("baseline-gyro-scale-factor", 2, 1, Entry::Own),
    check("use-default-values", 3, 0, 2),
};
constexpr Group kDrSensors[] = {{nullptr, kSensors}};
void drSensorsEnabling(NavDialog& d) {
    const bool own = d.value("use-default-values") == 0;
    for (const char* key : {"baseline", "baseline-speed-scale-factor", "baseline-gyro-bias",
                            "baseline-gyro-scale-factor"}) {
        d.setEnabled(key, own);
    }
}
void drSensorsOpening(NavDialog& d, bool /*current*/, int /*targetSwClass*/) {
    for (const char* key :
         {"baseline-speed-scale-factor", "baseline-gyro-bias", "baseline-gyro-scale-factor"}) {
        d.setText(key, "");
    }
}

const Layout kLayouts[] = {
    {136, 0, kModeMask, modeMaskEnabling, modeMaskOpening},
    {137, 0, kDopMask, dopMaskEnabling},
    {138, 0, kDgpsMode, dgpsModeEnabling},
    {133, 0, kDgpsSource, dgpsSourceEnabling},
    {170, 0, kSbas, sbasEnabling, sbasOpening},
    {139, 0, kElevationMask, maskEnabling},
    {140, 0, kPowerMask, maskEnabling},
    {143, 0, kStaticNavigation},
    {150, 0, kOperatingMode, operatingModeEnabling},
    {166, 0, kMessageRate, messageRateEnabling},
    {172, 1, kDrNavInit},
    {172, 2, kDrNavMode},
    {172, 3, kGyroCal},
    {172, 4, kDrSensors, drSensorsEnabling, drSensorsOpening},
};

// The Drovana popup is the ninth item: it follows the eight setting dialogs.
constexpr MenuItem kNavigationMenu[] = {
    {"&Mode Mask...", 136, 0, false, false},
    {"D&OP Mask...", 137, 0, false, false},
    {"&Elevation Mask...", 139, 0, false, false},
    {"&Power Mask...", 140, 0, false, false},
    {"&Static Navigation...", 143, 0, false, false},
    {"DGPS Mo&de...", 138, 0, false, false},
    {"DGPS So&urce...", 133, 0, false, false},
    {"SB&AS Control...", 170, 0, false, false},
    {"Navigation &Initialization...", 172, 1, true, false},
    {"Navigation &Mode Control...", 172, 2, true, false},
    {"Gyro Factory &Calibration...", 172, 3, true, false},
    {"DR Sensor's &Paramters...", 172, 4, true, false},
    {"Poll DR Data Validity", 172, 5, true, true},
    {"Poll Gyro Factory Calibration", 172, 6, true, true},
    {"Poll Sensor's Parameters", 172, 7, true, true},
};

} // namespace

std::span<const Layout> layouts() {
    return kLayouts;
}

const Layout* findLayout(uint8_t mid, uint8_t subId) {
    for (const Layout& layout : kLayouts) {
        if (layout.mid == mid && layout.subId == subId) {
            return &layout;
        }
    }
    return nullptr;
}

std::span<const MenuItem> navigationMenu() {
    return kNavigationMenu;
}

} // namespace navdialog

namespace {

using navdialog::Control;
using navdialog::Entry;
using navdialog::Kind;

bool polled(uint8_t mid) {
    const auto mids = polledCommandMids();
    return std::find(mids.begin(), mids.end(), mid) != mids.end();
}

std::string numberText(const CommandField& field, double value) {
    if (field.kind == ValueKind::Real) {
        return strprintf("%.10g", value);
    }
    return strprintf("%lld", static_cast<long long>(value));
}

bool blank(const char* p) {
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    return *p == '\0';
}

// The framework's transfer: the whole text, spaces aside, is one number of the field's kind.
std::optional<double> transferred(const CommandField& field, const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double value = 0;
    if (field.kind == ValueKind::Real) {
        value = std::strtod(begin, &end);
    } else {
        value = static_cast<double>(std::strtoll(begin, &end, 10));
    }
    if (end == begin || errno == ERANGE || !blank(end) || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// What the command's own check reads: the number the text starts with, else 0.
double leadingValue(const CommandField& field, const std::string& text) {
    if (field.kind == ValueKind::Real) {
        return std::strtod(text.c_str(), nullptr);
    }
    return static_cast<double>(std::strtoll(text.c_str(), nullptr, 10));
}

} // namespace

NavDialog::NavDialog(uint8_t mid, uint8_t subId, const PolledSettings* record, int targetSwClass)
    : spec_(findCommand(mid, subId)), layout_(navdialog::findLayout(mid, subId)) {
    const char* caption = spec_->caption != nullptr ? spec_->caption : "";
    if (polled(mid)) {
        DialogOpening opening = dialogOpening(*spec_, record);
        values_ = std::move(opening.values);
        caption_ = std::move(opening.caption);
        current_ = opening.current;
    } else {
        values_ = defaultValues(*spec_);
        caption_ = caption;
    }
    for (const navdialog::Group& group : layout_->groups) {
        for (const Control& c : group.controls) {
            if (c.kind != Kind::Edit) {
                continue;
            }
            const CommandField* field = findField(*spec_, c.key);
            setText(c.key, c.entry == Entry::Fixed || field == nullptr
                               ? std::string(c.text != nullptr ? c.text : "")
                               : numberText(*field, values_.get(c.key)));
        }
    }
    if (layout_->opening != nullptr) {
        layout_->opening(*this, current_, targetSwClass);
    }
    runEnableRule();
}

const Control* NavDialog::control(std::string_view key) const {
    for (const navdialog::Group& group : layout_->groups) {
        for (const Control& c : group.controls) {
            if (key == c.key) {
                return &c;
            }
        }
    }
    return nullptr;
}

bool NavDialog::checked(const Control& c) const {
    return c.kind == Kind::Radio ? value(c.key) == c.code : value(c.key) != 0;
}

std::string NavDialog::text(std::string_view key) const {
    for (const auto& [k, t] : texts_) {
        if (k == key) {
            return t;
        }
    }
    return {};
}

bool NavDialog::enabled(std::string_view enableKey) const {
    return std::find(disabled_.begin(), disabled_.end(), enableKey) == disabled_.end();
}

std::vector<std::string> NavDialog::entries(std::string_view key) const {
    std::vector<std::string> out;
    if (const CommandField* field = findField(*spec_, key)) {
        for (const Choice& c : field->choices) {
            out.emplace_back(c.text);
        }
    }
    return out;
}

int NavDialog::chosenEntry(std::string_view key) const {
    const CommandField* field = findField(*spec_, key);
    if (field == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < field->choices.size(); ++i) {
        if (field->choices[i].code == value(key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void NavDialog::choose(std::string_view key, int32_t code) {
    values_.set(key, code);
    const Control* c = control(key);
    if (c != nullptr && c->kind == Kind::Radio) {
        runEnableRule();
    }
}

void NavDialog::chooseEntry(std::string_view key, int index) {
    const CommandField* field = findField(*spec_, key);
    if (field != nullptr && index >= 0 && static_cast<size_t>(index) < field->choices.size()) {
        values_.set(key, field->choices[static_cast<size_t>(index)].code);
    }
}

void NavDialog::setChecked(std::string_view key, bool isChecked) {
    values_.set(key, isChecked ? 1 : 0);
    runEnableRule();
}

void NavDialog::setText(std::string_view key, std::string newText) {
    for (auto& [k, t] : texts_) {
        if (k == key) {
            t = std::move(newText);
            return;
        }
    }
    texts_.emplace_back(std::string(key), std::move(newText));
}

void NavDialog::setEnabled(std::string_view enableKey, bool isEnabled) {
    const auto at = std::find(disabled_.begin(), disabled_.end(), enableKey);
    if (!isEnabled && at == disabled_.end()) {
        disabled_.emplace_back(enableKey);
    } else if (isEnabled && at != disabled_.end()) {
        disabled_.erase(at);
    }
}

void NavDialog::runEnableRule() {
    disabled_.clear();
    if (layout_->enable != nullptr) {
        layout_->enable(*this);
    }
}

std::optional<std::string> NavDialog::send() {
    payload_.clear();
    for (const navdialog::Group& group : layout_->groups) {
        for (const Control& c : group.controls) {
            const CommandField* field = findField(*spec_, c.key);
            if (c.kind != Kind::Edit || c.entry == Entry::Fixed || field == nullptr) {
                continue;
            }
            if (c.entry == Entry::Own) {
                values_.set(c.key, leadingValue(*field, text(c.key)));
                continue;
            }
            const std::optional<double> v = transferred(*field, text(c.key));
            if (!v) {
                return std::string(field->kind == ValueKind::Real ? navdialog::kEnterNumber
                                                                  : navdialog::kEnterInteger);
            }
            if (field->min < field->max && (*v < field->min || *v > field->max)) {
                return field->kind == ValueKind::Real ? realRangeText(field->min, field->max)
                                                      : integerRangeText(field->min, field->max);
            }
            values_.set(c.key, *v);
        }
    }
    CommandPayloads built = buildCommand(*spec_, values_);
    if (built.refusal) {
        return built.refusal;
    }
    payload_ = std::move(built.payloads.front());
    return std::nullopt;
}

} // namespace zeph::monitor
