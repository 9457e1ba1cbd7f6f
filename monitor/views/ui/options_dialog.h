#pragma once

#include "monitor/views/ui/view_factory.h"

#include <QDialog>

namespace zeph::monitor {

// Opens a view's option dialog on the settings file; once it is saved every view reloads.
template <class Dialog> void runOptionsDialog(const ViewContext& ctx, QWidget* parent) {
    if (ctx.profile == nullptr || ctx.prompter == nullptr) {
        return;
    }
    Dialog dialog(*ctx.profile, *ctx.prompter, parent);
    if (dialog.exec() == QDialog::Accepted && ctx.settingsChanged) {
        ctx.settingsChanged();
    }
}

} // namespace zeph::monitor
