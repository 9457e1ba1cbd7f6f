#pragma once

#include "monitor/messages/program_state.h"
#include "monitor/shell/feed_doc.h"

#include <QString>
#include <QWidget>

#include <cstddef>

namespace zeph::monitor {

// Every view of the main frame's ten slots is a widget that observes the document.
class MonitorView : public QWidget, public ViewObserver {
public:
    using QWidget::QWidget;
};

struct ViewContext {
    const ProgramState& state;
};

// The caption of the view in slot 0..9 ("Debug View", ...); empty for any other slot.
QString viewCaption(size_t slot);

// A new view for slot 0..9; a slot whose view is not built yet gets an empty placeholder view
// that ignores every update. nullptr for any other slot. The view's window title is its caption.
MonitorView* createView(size_t slot, const ViewContext& ctx, QWidget* parent = nullptr);

} // namespace zeph::monitor
