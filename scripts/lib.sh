# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
set -euo pipefail

ZEPH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZEPH_BUILD=${ZEPH_BUILD:-$ZEPH_ROOT/build}
# ZEPH_GUI=OFF builds and tests everything but the window programs, without Qt.
ZEPH_GUI=${ZEPH_GUI:-ON}
ZEPH_PACKAGES=(g++ cmake ninja-build libgtest-dev libgmock-dev)
[ "$ZEPH_GUI" = "OFF" ] || ZEPH_PACKAGES+=(qt6-base-dev)
# Used only by tests: independent image converters and a cross compiler for ELF test images;
# the Debian packaging tools and the desktop entry checker for the package's test.
ZEPH_TEST_PACKAGES=(srecord binutils-arm-none-eabi gcc-arm-none-eabi dpkg-dev desktop-file-utils)

zeph_install_missing() {
    local missing=()
    for p in "${ZEPH_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    fi
}

# zeph_build [CMAKE-OPTION...]: the options go to cmake; ZEPH_TARGETS (space-separated) builds
# only those targets.
zeph_build() {
    local options=("$@")
    # CI turns warnings into errors; elsewhere the build folder keeps its own choice.
    [ "${CI:-}" = "true" ] && options+=(-DZEPH_WERROR=ON)
    if [ "$ZEPH_GUI" = "OFF" ]; then
        # Qt is refused even where it is installed, so this build proves it needs none.
        options+=(-DZEPH_GUI=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON)
    else
        options+=(-DZEPH_GUI=ON)
    fi
    cmake -S "$ZEPH_ROOT" -B "$ZEPH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "${options[@]}" >/dev/null
    local targets=()
    [ -z "${ZEPH_TARGETS:-}" ] || targets=(--target $ZEPH_TARGETS)
    cmake --build "$ZEPH_BUILD" -j2 "${targets[@]}"
}
