#pragma once

#include "monitor/views/text_list.h"
#include "monitor/views/ui/view_factory.h"

#include <QListWidget>

#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

// A view whose only control is a list of text lines filling it. The list follows a TextList;
// a double-click anywhere in it clears it.
class TextListView : public MonitorView {
    Q_OBJECT
public:
    explicit TextListView(QWidget* parent = nullptr);

    void onUpdate(int hint, const RxMessage* msg) override;

    // Adds the lines of `text`; the newest line is scrolled to the top of the list.
    void addText(std::string_view text);
    void clearLines();

    QListWidget* list() const { return list_; }
    const TextList& lines() const { return lines_; }

protected:
    // The text this view adds for a new message, if any.
    virtual std::optional<std::string> textFor(const RxMessage& msg) const = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* list_;
    TextList lines_;
};

// The receiver's development text.
class CViewDebug : public TextListView {
    Q_OBJECT
public:
    explicit CViewDebug(QWidget* parent = nullptr);

protected:
    std::optional<std::string> textFor(const RxMessage& msg) const override;
};

// The receiver's error reports and the monitor's link errors.
class CViewError : public TextListView {
    Q_OBJECT
public:
    explicit CViewError(QWidget* parent = nullptr);

protected:
    std::optional<std::string> textFor(const RxMessage& msg) const override;
};

// The answers to commands and polls.
class CViewResponse : public TextListView {
    Q_OBJECT
public:
    explicit CViewResponse(QWidget* parent = nullptr);

protected:
    std::optional<std::string> textFor(const RxMessage& msg) const override;
};

} // namespace zeph::monitor
