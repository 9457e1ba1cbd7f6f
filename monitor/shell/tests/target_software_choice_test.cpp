// The "Select Target Software" rules over the program-wide state.

#include "monitor/shell/target_software_choice.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

TEST(TargetSoftwareChoiceTest, OpensAtTheKnownClassOrAtTheFirstChoiceWithoutCancel) {
    for (int swClass = kSwVersionPollPending; swClass <= kSwZephNav; ++swClass) {
        ProgramState state;
        state.targetSwClass = swClass;
        state.autoDetect = swClass % 2 == 0;
        const TargetSoftwareChoice choice(state);
        const bool known = swClass > kSwUnknown;
        EXPECT_EQ(choice.choice(), known ? swClass - 1 : 0) << swClass;
        EXPECT_EQ(choice.cancelEnabled(), known) << swClass;
        EXPECT_EQ(choice.autoDetect(), state.autoDetect);
        EXPECT_TRUE(state.targetDialogOpen);
        EXPECT_EQ(state.targetSwClass, swClass); // opening changes no class
    }
}

TEST(TargetSoftwareChoiceTest, OkSetsClassAndFlagWhileCancelOnlyClosesTheDialog) {
    ProgramState state;
    state.autoDetect = true;
    TargetSoftwareChoice(state).accept(3, false);
    EXPECT_EQ(state.targetSwClass, kSwDrovana);
    EXPECT_FALSE(state.autoDetect);
    EXPECT_FALSE(state.targetDialogOpen);

    TargetSoftwareChoice cancelled(state);
    cancelled.cancel();
    EXPECT_EQ(state.targetSwClass, kSwDrovana);
    EXPECT_FALSE(state.autoDetect);
    EXPECT_FALSE(state.targetDialogOpen);
    EXPECT_FALSE(cancelled.isOpen());
}

} // namespace
} // namespace zeph::monitor
