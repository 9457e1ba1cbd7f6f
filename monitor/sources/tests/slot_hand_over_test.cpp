// The double buffer's hand-over, with both threads held at chosen points so that one
// interleaving is played on purpose instead of hoped for.

#include "monitor/sources/slot_hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace zeph::monitor {
namespace {

using namespace std::chrono_literals;

// Opens once and stays open. A wait gives up after a while, so a wrong order of the hand-over
// fails the test instead of hanging it.
class Gate {
public:
    void open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }
    bool wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, 5s, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

// Where the reader is when the GUI thread begins its swap.
enum class ReaderAt {
    Outside,         // it comes in between the GUI thread's two steps and chooses its slot there
    BetweenItsSteps, // busy raised, slot not chosen: held there until the GUI thread moves on
    InItsSlot,       // slot chosen, bytes not yet written
};

struct Schedule {
    const char* name;
    ReaderAt readerAt;
};

void PrintTo(const Schedule& s, std::ostream* os) {
    *os << s.name;
}

class ScriptedSeam : public HandOverSeam {
public:
    explicit ScriptedSeam(ReaderAt at) : readerAt(at) {}

    void readerBetweenSteps() override {
        readerMidway.open();
        if (readerAt == ReaderAt::BetweenItsSteps) {
            check(guiMovedOn.wait());
        }
    }
    void guiBetweenSteps() override {
        if (readerAt == ReaderAt::Outside) {
            guiMidway.open();
            check(readerChose.wait());
        }
    }
    void guiWaitsForReader() override { guiMovedOn.open(); }

    void check(bool inTime) {
        if (!inTime) {
            stuck = true;
        }
    }

    const ReaderAt readerAt;
    Gate guiMidway, readerMidway, readerChose;
    Gate guiMovedOn; // the GUI thread waits for the reader, or has taken its slot
    std::atomic<bool> stuck{false};
};

std::string contents(const SlotHandOver::Slot& slot) {
    return std::string(reinterpret_cast<const char*>(slot.bytes.data()), slot.count);
}

class SlotHandOverSchedules : public ::testing::TestWithParam<Schedule> {};

// Whatever the reader writes into the slot it chose reaches the GUI thread exactly once.
TEST_P(SlotHandOverSchedules, BytesOfAReaderInTheMiddleOfASwapAreHandedOver) {
    ScriptedSeam seam(GetParam().readerAt);
    SlotHandOver handOver(&seam);
    const std::string late = "late bytes";

    std::thread reader([&] {
        if (seam.readerAt == ReaderAt::Outside) {
            seam.check(seam.guiMidway.wait());
        }
        SlotHandOver::Slot& slot = handOver.enter();
        seam.readerChose.open();
        // Writes only once the GUI thread waits for it or has taken its own slot.
        seam.check(seam.guiMovedOn.wait());
        std::memcpy(slot.bytes.data() + slot.count, late.data(), late.size());
        slot.count += late.size();
        handOver.leave();
    });

    if (seam.readerAt == ReaderAt::BetweenItsSteps) {
        seam.check(seam.readerMidway.wait());
    } else if (seam.readerAt == ReaderAt::InItsSlot) {
        seam.check(seam.readerChose.wait());
    }
    std::string received = contents(handOver.swap());
    seam.guiMovedOn.open();
    reader.join();
    received += contents(handOver.swap());
    received += contents(handOver.swap());

    EXPECT_FALSE(seam.stuck);
    EXPECT_EQ(received, late);
}

INSTANTIATE_TEST_SUITE_P(
    Interleavings, SlotHandOverSchedules,
    ::testing::Values(Schedule{"ReaderComesInBetweenTheGuiSteps", ReaderAt::Outside},
                      Schedule{"ReaderBetweenItsStepsAtTheSwap", ReaderAt::BetweenItsSteps},
                      Schedule{"ReaderInItsSlotAtTheSwap", ReaderAt::InItsSlot}),
    [](const ::testing::TestParamInfo<Schedule>& row) { return row.param.name; });

} // namespace
} // namespace zeph::monitor
