#include "monitor/views/ui/view_factory.h"

#include "monitor/views/ui/form_views.h"
#include "monitor/views/ui/text_views.h"

#include <array>

namespace zeph::monitor {
namespace {

constexpr std::array<const char*, 10> kCaptions = {
    "Signal View", "Map View",        "Radar View", "Debug View",        "Response View",
    "Error View",  "Navigation View", "DGPS View",  "Geodetic Nav View", "Drovana View",
};

constexpr size_t kDebugSlot = 3;
constexpr size_t kResponseSlot = 4;
constexpr size_t kErrorSlot = 5;
constexpr size_t kNavigationSlot = 6;
constexpr size_t kDgpsSlot = 7;
constexpr size_t kGeodeticSlot = 8;
constexpr size_t kDrovanaSlot = 9;

// The frame of a view still to come: it shows nothing and ignores every update.
class PlaceholderView : public MonitorView {
public:
    PlaceholderView(size_t slot, QWidget* parent) : MonitorView(parent) {
        setObjectName(QStringLiteral("placeholder%1").arg(slot));
    }
    void onUpdate(int, const RxMessage*) override {}
};

} // namespace

QString viewCaption(size_t slot) {
    return slot < kCaptions.size() ? QString::fromLatin1(kCaptions[slot]) : QString();
}

// The program state is for the views that read more than the message; the text views do not.
MonitorView* createView(size_t slot, const ViewContext& /*ctx*/, QWidget* parent) {
    MonitorView* view = nullptr;
    switch (slot) {
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
        if (slot >= kCaptions.size()) {
            return nullptr;
        }
        view = new PlaceholderView(slot, parent);
        break;
    }
    view->setWindowTitle(viewCaption(slot));
    return view;
}

} // namespace zeph::monitor
