#pragma once

// The rules of the plot views' option dialogs, without widgets: what each shows when it opens,
// the checks of its fields and what it writes to the settings file. The Qt dialogs only show
// them; after a save the caller makes every view reload its settings.

#include "monitor/shell/profile_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

namespace prefsdialog {
constexpr const char* kTitle = "Preferences";
constexpr const char* kGraphGroup = "Signal Graph Type";
constexpr const char* kBar = "&Bar";
constexpr const char* kLine = "&Line";
constexpr const char* kOrientationGroup = "Tracking Orientation";
constexpr const char* kNorthUp = "&North Up";
constexpr const char* kHeadingUp = "&Heading Up";
constexpr const char* kMapGroup = "Map View";
constexpr const char* kScaleUnit = "meters per pixel";
constexpr const char* kTimerDelay = "&Timer Delay:"; // carried, not shown
constexpr const char* kCentered = "&Centered Position";
constexpr const char* kUseTimer = "&Use this timer for files";
constexpr const char* kSave = "Save";
constexpr double kMinScale = 0.25;
constexpr double kMaxScale = 10000;
} // namespace prefsdialog

namespace trackingdialog {
constexpr const char* kTitle = "Tracking View Configuration";
constexpr const char* kGreen = "Green:";
constexpr const char* kGreenText = "Satellite with lock, used in calculation";
constexpr const char* kBlue = "Blue:";
constexpr const char* kBlueText = "Satellite with lock, not used";
constexpr const char* kRed = "Red:";
constexpr const char* kRedText = "Satellite without lock, not used";
constexpr const char* kHorizon = "Outer circle represents the horizon (Elevation=0)";
constexpr const char* kOverhead = "Center point is directly overhead (Elevation=90)";
constexpr const char* kArrow =
    "The red arrow points in the direction of travel; its length is the speed, the outer "
    "circle being the velocity below";
constexpr const char* kOuterVelocity = "Outer circle velocity:";
constexpr const char* kOuterPosition = "Outer circle position:";
constexpr double kMinOuterVelocity = 0.01;
constexpr double kMaxOuterVelocity = 2000;
constexpr int kMinOuterPosition = 2;
constexpr int kMaxOuterPosition = 2000;
} // namespace trackingdialog

namespace mapdialog {
constexpr const char* kTitle = "Preferences";
constexpr const char* kViewGroup = "View";
constexpr const char* kScaleUnit = "meters / pixel";
constexpr const char* kCenterCurrent = "&Center current"; // not shown
constexpr const char* kOriginGroup = "Origin";
constexpr const char* kLat = "Lat:";
constexpr const char* kLon = "Lon:";
constexpr const char* kRingsGroup = "Ring radii";
constexpr const char* kMetres = "m";
constexpr const char* kSave = "Save";
// The most the view draws, the scale as stored and the largest ring that fits at that scale.
constexpr const char* kPlotTooLarge =
    "The map is drawn at most %d pixels across: at %.2f meters / pixel its rings can reach %d m. "
    "Please enter a larger scale or smaller ring radii.";
} // namespace mapdialog

constexpr const char* kEnterNumber = "Please enter a number.";
constexpr const char* kEnterInteger = "Please enter an integer.";
constexpr const char* kEnterPositiveInteger = "Please enter a positive integer.";

// A number as an edit field shows it: up to 15 significant digits, no trailing zeros.
std::string fieldNumber(double value);
// The message for a field's text, or nothing when it holds a number in range.
std::optional<std::string> realFieldError(std::string_view text, double min, double max);
std::optional<std::string> realFieldError(std::string_view text);
std::optional<std::string> integerFieldError(std::string_view text, long min, long max);
std::optional<std::string> unsignedFieldError(std::string_view text);

// The first field whose check failed: its position in the dialog's list below, and the message.
struct FieldError {
    int field = 0;
    std::string message;
    bool operator==(const FieldError&) const = default;
};

// Setup > Preferences and the Signal view: graph type, radar orientation and map scale.
struct PreferencesValues {
    enum Field { kScaleField };
    int graphType = 0;
    int orientation = 0;
    std::string scale;
    int timerDelay = 1000; // carried for the playback sources
    bool operator==(const PreferencesValues&) const = default;
};
PreferencesValues loadPreferences(const ProfileFile& profile);
// Checks the fields, then writes GraphType, Orientation, the scale as "%.2f" and TimerDelay. A new
// scale at which the stored rings would make a map larger than the view draws is refused.
std::optional<FieldError> savePreferences(ProfileFile& profile, const PreferencesValues& values);

// The Radar view's dialog: orientation and the outer circle.
struct TrackingValues {
    enum Field { kOuterVelocityField };
    int orientation = 0;
    std::string outerVelocity;
    int outerPosition = 20; // shown, not editable
    bool operator==(const TrackingValues&) const = default;
};
TrackingValues loadTracking(const ProfileFile& profile);
// Writes Orientation and OuterRadPos as integers and OuterRadVel as "%.2f".
std::optional<FieldError> saveTracking(ProfileFile& profile, const TrackingValues& values);

// The Map view's dialog: scale, origin and ring radii.
struct MapOptionValues {
    enum Field { kScaleField, kLatField, kLonField, kRing0Field, kRing1Field, kRing2Field };
    std::string scale;
    std::string lat;
    std::string lon;
    std::array<std::string, 3> rings;
    bool operator==(const MapOptionValues&) const = default;
};
MapOptionValues loadMapOptions(const ProfileFile& profile);
// Writes the scale as "%.2f", the origin as "%f" and the three radii; rings that at the scale as
// stored would make a map larger than the view draws are refused at the largest ring.
std::optional<FieldError> saveMapOptions(ProfileFile& profile, const MapOptionValues& values);

} // namespace zeph::monitor
