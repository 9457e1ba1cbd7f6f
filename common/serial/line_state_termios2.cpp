// Only kernel headers here: <termios.h> must not be included in this file.
#include "common/serial/line_state.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cstring>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace zeph::detail {

static_assert(sizeof(struct termios2) <= kLineStateBytes, "SavedLineState too small");

bool saveLineState(int fd, SavedLineState& state) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        state.valid = false;
        return false;
    }
    std::memcpy(state.bytes, &tio, sizeof tio);
    state.valid = true;
    return true;
}

bool restoreLineState(int fd, const SavedLineState& state) {
    if (!state.valid) {
        return false;
    }
    struct termios2 tio {};
    std::memcpy(&tio, state.bytes, sizeof tio);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool setAnyRate(int fd, unsigned rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    // The input rate field follows the output rate when its CBAUD bits (IBSHIFT) are zero.
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER;
    tio.c_ospeed = rate;
    tio.c_ispeed = rate;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool readOutputRate(int fd, unsigned& rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    rate = tio.c_ospeed;
    return true;
}

} // namespace zeph::detail
