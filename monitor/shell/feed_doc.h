#pragma once

// The monitor's one kind of document: a feed and the views that show it.

#include "monitor/shell/feed.h"

#include <algorithm>
#include <vector>

namespace zeph::monitor {

class ViewObserver {
public:
    virtual ~ViewObserver() = default;
    virtual void onUpdate(int hint, const RxMessage* msg) = 0;
};

// What the document tells the main frame.
class DocumentListener {
public:
    virtual ~DocumentListener() = default;
    virtual void endOfData() = 0; // user message 0x406
    virtual void openPolledDialog(const CurrentSettingsPolls::DialogToOpen& /*dialog*/) {}
    virtual void showTargetSoftwareDialog() {}
    virtual void sourceReopened(bool /*opened*/) {}
};

class CFeedDoc : private FeedListener {
public:
    CFeedDoc(const FeedContext& ctx, DocumentListener& frame) : frame_(frame), feed_(ctx, *this) {}

    void addView(ViewObserver& view) { views_.push_back(&view); }
    void removeView(ViewObserver& view) { std::erase(views_, &view); }
    size_t viewCount() const { return views_.size(); }
    void updateAllViews(int hint, const RxMessage* msg) {
        for (ViewObserver* v : views_) {
            v->onUpdate(hint, msg);
        }
    }

    // The views clear themselves, then the source opens; a failed open leaves none.
    bool openSource(const DataSourceSettings& settings) {
        updateAllViews(kHintNewSource, nullptr);
        running_ = true;
        if (!feed_.openSource(settings)) {
            closeSource();
            return false;
        }
        return true;
    }
    void closeSource() {
        if (running_) {
            running_ = false;
            feed_.closeSource();
        }
    }
    bool running() const { return running_; }
    // The settings changed: the source restarts its pacing (only the generator has any) and
    // every view reloads its settings.
    void refreshViews() {
        if (DataSource* source = feed_.source()) {
            source->restart();
        }
        updateAllViews(kHintSettingsChanged, nullptr);
    }
    void setPause(bool paused) { feed_.setPause(paused); }
    Feed& feed() { return feed_; }

private:
    void updateViews(int hint, const RxMessage* msg) override {
        if (running_ || hint == kHintNewSource) {
            updateAllViews(hint, msg);
        }
    }
    void endOfData() override { frame_.endOfData(); }
    void openPolledDialog(const CurrentSettingsPolls::DialogToOpen& d) override {
        frame_.openPolledDialog(d);
    }
    void showTargetSoftwareDialog() override { frame_.showTargetSoftwareDialog(); }
    void sourceReopened(bool opened) override { frame_.sourceReopened(opened); }

    DocumentListener& frame_;
    std::vector<ViewObserver*> views_;
    bool running_ = false;
    Feed feed_;
};

} // namespace zeph::monitor
