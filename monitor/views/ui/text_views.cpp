#include "monitor/views/ui/text_views.h"

#include "monitor/shell/feed.h"
#include "monitor/views/view_texts.h"

#include <QEvent>
#include <QVBoxLayout>

namespace zeph::monitor {

TextListView::TextListView(QWidget* parent) : MonitorView(parent), list_(new QListWidget(this)) {
    list_->setObjectName("list");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->viewport()->installEventFilter(this);
}

// Only new messages add lines: a new source keeps what the lists already show.
void TextListView::onUpdate(int hint, const RxMessage* msg) {
    if (hint != kHintNewMessage || msg == nullptr) {
        return;
    }
    if (std::optional<std::string> text = textFor(*msg)) {
        addText(*text);
    }
}

void TextListView::addText(std::string_view text) {
    const TextList::Change change = lines_.add(text);
    if (change.dropped == 0 && change.added.empty()) {
        return;
    }
    list_->setUpdatesEnabled(false);
    for (size_t k = 0; k < change.dropped; ++k) {
        delete list_->takeItem(0);
    }
    // The receiver's text is bytes, one character each, whatever they hold.
    for (const std::string& line : change.added) {
        list_->addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    list_->scrollToItem(list_->item(list_->count() - 1), QAbstractItemView::PositionAtTop);
    list_->setUpdatesEnabled(true);
}

void TextListView::clearLines() {
    lines_.clear();
    list_->clear();
}

bool TextListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        clearLines();
        return true;
    }
    return MonitorView::eventFilter(watched, event);
}

CViewDebug::CViewDebug(QWidget* parent) : TextListView(parent) {
    setObjectName("CViewDebug");
}
std::optional<std::string> CViewDebug::textFor(const RxMessage& msg) const {
    return debugViewText(msg);
}

CViewError::CViewError(QWidget* parent) : TextListView(parent) {
    setObjectName("CViewError");
}
std::optional<std::string> CViewError::textFor(const RxMessage& msg) const {
    return errorViewText(msg);
}

CViewResponse::CViewResponse(QWidget* parent) : TextListView(parent) {
    setObjectName("CViewResponse");
}
std::optional<std::string> CViewResponse::textFor(const RxMessage& msg) const {
    return responseViewText(msg);
}

} // namespace zeph::monitor
