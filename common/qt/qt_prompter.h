#pragma once

// Message boxes of the window programs: the Prompter interface shown as a modal QMessageBox.

#include "common/prompt/prompter.h"

#include <QString>

class QWidget;

namespace zeph {

class QtPrompter : public Prompter {
public:
    // `title` is every box's caption; `parent` (may be null) centres the boxes over a window.
    QtPrompter(QString title, QWidget* parent = nullptr)
        : title_(std::move(title)), parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    Answer ask(const std::string& text, Icon icon, Buttons buttons) override;

private:
    QString title_;
    QWidget* parent_;
};

} // namespace zeph
