#include "monitor/sources/slot_hand_over.h"

#include <chrono>
#include <thread>

namespace zeph::monitor {
namespace {

using namespace std::chrono_literals;

constexpr auto kBusyPoll = 1ms; // the GUI thread's wait for the reader to leave a slot

} // namespace

// Why the GUI thread flips first and waits second: the reader raises busy and then reads the
// fill index; the GUI thread stores the index and then reads busy. All four are sequentially
// consistent, so of the two, the later one to act sees the other's store. A reader that read
// the old index therefore raised busy before the flip, and the GUI thread waits for it; a
// reader that raised busy after the GUI thread's look reads the new index. Looking at busy
// before flipping leaves a gap: a reader that raises busy after the look and reads the index
// before the flip fills the slot just handed over, and the next swap empties it.

void SlotHandOver::reset() {
    slots_[0].count = 0;
    slots_[1].count = 0;
    fill_.store(0);
    busy_.store(false);
}

SlotHandOver::Slot& SlotHandOver::enter() {
    busy_.store(true);
    if (seam_ != nullptr) {
        seam_->readerBetweenSteps();
    }
    return slots_[static_cast<size_t>(fill_.load())];
}

void SlotHandOver::leave() {
    busy_.store(false);
}

SlotHandOver::Slot& SlotHandOver::swap() {
    const int c = fill_.load();
    // Nobody is in the other slot: the previous swap waited for the reader to leave it.
    slots_[static_cast<size_t>(1 - c)].count = 0;
    fill_.store(1 - c);
    if (seam_ != nullptr) {
        seam_->guiBetweenSteps();
    }
    // The reader holds a slot only for one read of queued bytes; this waits for the thread,
    // not for the receiver, so it takes real time, not the clock's.
    while (busy_.load()) {
        if (seam_ != nullptr) {
            seam_->guiWaitsForReader();
        }
        std::this_thread::sleep_for(kBusyPoll);
    }
    return slots_[static_cast<size_t>(c)];
}

} // namespace zeph::monitor
