#pragma once

// The serial port's double buffer: the reader thread fills one slot while the GUI thread owns
// the other, and every 50 ms the GUI thread turns them round. The two threads share the slots,
// the fill index and the busy flag, handed over without a lock.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace zeph::monitor {

// Points at which a test can hold either thread in the middle of the hand-over, to play one
// interleaving of the two on purpose. Production code passes none.
class HandOverSeam {
public:
    virtual ~HandOverSeam() = default;
    // Reader thread: between its two steps, raising busy and choosing its slot.
    virtual void readerBetweenSteps() {}
    // GUI thread: between its two steps, the flip of the fill index and the wait for the
    // reader.
    virtual void guiBetweenSteps() {}
    // GUI thread: the reader is still in a slot; about to sleep before looking again.
    virtual void guiWaitsForReader() {}
};

class SlotHandOver {
public:
    static constexpr size_t kSlotBytes = 4096;

    struct Slot {
        std::array<uint8_t, kSlotBytes> bytes{};
        size_t count = 0;
    };

    explicit SlotHandOver(HandOverSeam* seam = nullptr) : seam_(seam) {}

    // Both slots empty, the reader's turn on slot 0. Only while no reader runs.
    void reset();

    // Reader thread: raises busy and takes the fill slot, which stays the reader's until
    // leave().
    Slot& enter();
    void leave();

    // GUI thread: empties the slot the reader fills next, turns the slots round and waits until
    // the reader has left the slot it was in. Returns the slot now owned by the GUI thread.
    Slot& swap();

    // Only while no reader runs.
    Slot& slot(int index) { return slots_[static_cast<size_t>(index)]; }

private:
    HandOverSeam* seam_;
    std::array<Slot, 2> slots_;
    std::atomic<int> fill_{0};
    std::atomic<bool> busy_{false};
};

} // namespace zeph::monitor
