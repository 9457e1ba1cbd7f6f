#pragma once

#include "common/prompt/prompter.h"
#include "monitor/messages/program_state.h"
#include "monitor/shell/feed_doc.h"
#include "monitor/shell/profile_file.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <utility>

namespace zeph::monitor {

// Every view of the main frame's ten slots is a widget that observes the document.
class MonitorView : public QWidget, public ViewObserver {
public:
    using QWidget::QWidget;
};

struct ViewContext {
    ViewContext(const ProgramState& programState, ProfileFile* settingsFile = nullptr,
                Prompter* messageBoxes = nullptr, std::function<void()> changed = {})
        : state(programState), profile(settingsFile), prompter(messageBoxes),
          settingsChanged(std::move(changed)) {}

    const ProgramState& state;
    // The settings file the plot views read and their option dialogs write; without one they
    // show the defaults and open no dialog.
    ProfileFile* profile;
    Prompter* prompter;
    // After an option dialog saved: every view reloads its settings (update hint 3).
    std::function<void()> settingsChanged;
};

// The caption of the view in slot 0..9 ("Debug View", ...); empty for any other slot.
QString viewCaption(size_t slot);

// A new view for slot 0..9, its window title its caption; nullptr for any other slot.
MonitorView* createView(size_t slot, const ViewContext& ctx, QWidget* parent = nullptr);

} // namespace zeph::monitor
