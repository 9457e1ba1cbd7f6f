#include "monitor/views/ui/view_factory.h"

#include "monitor/views/ui/form_views.h"
#include "monitor/views/ui/map_view.h"
#include "monitor/views/ui/radar_view.h"
#include "monitor/views/ui/signal_view.h"
#include "monitor/views/ui/text_views.h"

#include <array>

namespace zeph::monitor {
namespace {

constexpr std::array<const char*, 10> kCaptions = {
    "Signal View", "Map View",        "Radar View", "Debug View",        "Response View",
    "Error View",  "Navigation View", "DGPS View",  "Geodetic Nav View", "Drovana View",
};

constexpr size_t kSignalSlot = 0;
constexpr size_t kMapSlot = 1;
constexpr size_t kRadarSlot = 2;
constexpr size_t kDebugSlot = 3;
constexpr size_t kResponseSlot = 4;
constexpr size_t kErrorSlot = 5;
constexpr size_t kNavigationSlot = 6;
constexpr size_t kDgpsSlot = 7;
constexpr size_t kGeodeticSlot = 8;
constexpr size_t kDrovanaSlot = 9;

} // namespace

QString viewCaption(size_t slot) {
    return slot < kCaptions.size() ? QString::fromLatin1(kCaptions[slot]) : QString();
}

// The text views read nothing but the message; the plot views read their settings too.
MonitorView* createView(size_t slot, const ViewContext& ctx, QWidget* parent) {
    MonitorView* view = nullptr;
    switch (slot) {
    case kSignalSlot:
        view = new CViewSignal(ctx, parent);
        break;
    case kMapSlot:
        view = new CViewMap(ctx, parent);
        break;
    case kRadarSlot:
        view = new CViewRadar(ctx, parent);
        break;
    case kDebugSlot:
        view = new CViewDebug(parent);
        break;
    case kResponseSlot:
        view = new CViewResponse(parent);
        break;
    case kErrorSlot:
        view = new CViewError(parent);
        break;
    case kNavigationSlot:
        view = new CViewNav(parent);
        break;
    case kDgpsSlot:
        view = new CViewDgps(parent);
        break;
    case kGeodeticSlot:
        view = new CViewGeod(parent);
        break;
    case kDrovanaSlot:
        view = new CViewDr(parent);
        break;
    default:
        return nullptr;
    }
    view->setWindowTitle(viewCaption(slot));
    return view;
}

} // namespace zeph::monitor
