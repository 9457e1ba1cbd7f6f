#pragma once

// The navigation, mask and receiver-mode dialogs: one window that lays out any of them from its
// description (monitor/shell/nav_dialogs.h) and shows what the rules say after every click. It
// sends nothing itself: Send accepts the dialog once the checks pass, and the caller sends the
// payload.

#include "common/prompt/prompter.h"
#include "monitor/shell/nav_dialogs.h"

#include <QDialog>

#include <vector>

namespace zeph::monitor {

class NavCommandDialog : public QDialog {
    Q_OBJECT
public:
    NavCommandDialog(NavDialog& dialog, Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

private:
    struct Bound {
        const navdialog::Control* control;
        QWidget* widget;
    };
    QWidget* makeControl(const navdialog::Control& control, QWidget* parent);
    // Every control as the rules have it now.
    void showState();

    NavDialog& dialog_;
    Prompter& prompter_;
    std::vector<Bound> bound_;
};

} // namespace zeph::monitor
