#!/bin/bash
# Builds the Debian package from a built tree, unpacks it into a scratch root and starts the
# programs from there as a user would: by their names in usr/bin, with the environment as it is.
#
#   package_install_test.sh BUILD_DIR SOURCE_DIR GUI(ON|OFF) CPACK
#
# Exit status 77 (skipped) when the Debian packaging tools are missing.
set -u

build=$1
source=$2
gui=$3
cpack=$4

command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null ||
    { echo "SKIP: dpkg-deb or dpkg-shlibdeps missing (package dpkg-dev)"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/zeph_*.deb)
[ -f "${debs[0]}" ] || { cat "$work/cpack.log"; echo "FAIL: no zeph_*.deb made"; exit 1; }
deb=${debs[0]}
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
programs=$root/usr/lib/zeph

# The programs are started from the scratch root only; HOME is a scratch folder so that
# zephmon's per-user settings land there.
export HOME=$work/home
mkdir -p "$HOME"
unset XDG_CONFIG_HOME ZEPH_BURN_FOLDER
export QT_QPA_PLATFORM=offscreen

names=(zephmon ZephBurnCL zephsim flashsim zephctl zephdecode zephcapture)
windows=()
if [ "$gui" = ON ]; then
    windows=(zephmon ZephBurn Trekdash)
    names+=(ZephBurn Trekdash)
fi

# Every program is started by its name in usr/bin and answers --help with its usage. A link
# must lead into the program folder, where the program's companions are.
for name in "${names[@]}"; do
    entry=$root/usr/bin/$name
    [ -x "$entry" ] || { fail "usr/bin/$name missing"; continue; }
    if [ -L "$entry" ]; then
        target=$(readlink "$entry")
        [ "${target:0:1}" != / ] || fail "usr/bin/$name links to the absolute $target"
        [ "$(readlink -f "$entry")" = "$(readlink -f "$programs/$name")" ] ||
            fail "usr/bin/$name does not lead to usr/lib/zeph/$name"
    fi
    expected=0
    [ "$name" = ZephBurnCL ] && expected=1 # its usage ends with status 1, as -h does
    timeout 20 "$entry" --help >"$work/help.out" 2>&1
    status=$?
    [ "$status" -eq "$expected" ] || fail "$name --help: status $status"
    grep -q "$name" "$work/help.out" || fail "$name --help does not name the program: $(head -c 300 "$work/help.out")"
done
# Without Qt the window programs are neither built nor packaged.
if [ "$gui" != ON ]; then
    for name in ZephBurn Trekdash; do
        [ ! -e "$root/usr/bin/$name" ] || fail "$name packaged without Qt"
    done
fi

for file in detect.bin chiplist.txt generic.bin; do
    cmp -s "$source/flash/target/support/$file" "$programs/$file" ||
        fail "$file is not beside the engine in usr/lib/zeph"
done

desktops=("$root"/usr/share/applications/*.desktop)
[ -e "${desktops[0]}" ] || desktops=()
[ "${#desktops[@]}" -eq "${#windows[@]}" ] ||
    fail "${#desktops[@]} desktop entries for ${#windows[@]} window programs"
for name in "${windows[@]}"; do
    desktop=$root/usr/share/applications/$name.desktop
    [ -f "$desktop" ] || { fail "no desktop entry for $name"; continue; }
    exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -x "$root/usr/bin/$exec_name" ] || fail "$name.desktop starts $exec_name, not in usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    for size in scalable/apps/$icon.svg 48x48/apps/$icon.png 256x256/apps/$icon.png; do
        [ -s "$root/usr/share/icons/hicolor/$size" ] || fail "$name.desktop: icon $size missing"
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "$name.desktop does not validate"
    fi
done

[ -s "$root/usr/share/doc/zeph/README.Debian" ] &&
    grep -q "usermod -aG dialout" "$root/usr/share/doc/zeph/README.Debian" ||
    fail "README.Debian with the dialout note missing"

# Purging removes the result files ZephBurnCL -sr leaves in its folder when run as root.
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postrm" ] && grep -q 'RES\*' "$work/control/postrm" ||
    fail "no executable postrm that clears ZephBurnCL's result files"

depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libc6" <<<"$depends" || fail "Depends lacks libc6: $depends"
if [ "$gui" = ON ]; then
    grep -q "libqt6widgets6" <<<"$depends" || fail "Depends lacks Qt Widgets: $depends"
fi

# zephmon from usr/bin keeps a settings file of the user's own; a named one is left to the user.
timeout 20 "$root/usr/bin/zephmon" --headless --source random --seconds 1 \
    --log "$work/zephmon.log" >"$work/zephmon.out" 2>&1 ||
    fail "zephmon --headless: $(cat "$work/zephmon.out")"
grep -q '^\[Main\]' "$HOME/.config/zeph/zephmon.ini" 2>/dev/null ||
    fail "zephmon wrote no settings file in ~/.config/zeph"
[ ! -e "$programs/zephmon.ini" ] || fail "zephmon wrote its settings into usr/lib/zeph"
timeout 20 "$root/usr/bin/zephmon" --headless --settings "$work/named.ini" --source random \
    --seconds 1 >"$work/zephmon.out" 2>&1 || fail "zephmon --settings: $(cat "$work/zephmon.out")"
[ -f "$work/named.ini" ] || fail "zephmon --settings not honoured"
mkdir -p "$work/cwd"
(cd "$work/cwd" && XDG_CONFIG_HOME=rel timeout 20 "$root/usr/bin/zephmon" --headless \
    --source random --seconds 1 >/dev/null 2>&1)
[ ! -e "$work/cwd/rel" ] || fail "zephmon took a relative XDG_CONFIG_HOME for a folder"

# The engine started through its link finds its support files beside its real self, and so
# does flashsim; ZephBurn finds the engine beside itself.
start_flashsim() {
    "$root/usr/bin/flashsim" >"$work/flashsim.out" 2>"$work/flashsim.err" &
    pids+=($!)
    for _ in $(seq 50); do
        port=$(head -n 1 "$work/flashsim.out")
        [ -n "$port" ] && return 0
        sleep 0.1
    done
    return 1
}
if start_flashsim; then
    (cd "$work" && timeout 30 "$root/usr/bin/ZephBurnCL" read.bin -r -f 0 -t 0xFF -l "$port" -q) \
        >"$work/burn.out" 2>&1
    status=$?
    [ "$status" -eq 0 ] && [ "$(stat -c %s "$work/read.bin" 2>/dev/null)" = 256 ] ||
        fail "ZephBurnCL read through usr/bin: status $status: $(cat "$work/burn.out")"
    if [ "$gui" = ON ]; then
        (cd "$work" && ZEPH_COM1=$port timeout 30 "$root/usr/bin/ZephBurn" -ae -ax -l 1 \
            -r -f 0 -t 0xFF front.bin) >"$work/front.out" 2>&1
        status=$?
        [ "$status" -eq 0 ] && [ "$(stat -c %s "$work/front.bin" 2>/dev/null)" = 256 ] ||
            fail "ZephBurn read through usr/bin: status $status: $(cat "$work/front.out")"
    fi
else
    fail "flashsim from usr/bin did not start: $(cat "$work/flashsim.err")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failed; package contents:"
    dpkg-deb -c "$deb"
    exit 1
fi
echo "package $(basename "$deb") installs and starts: ${names[*]}"
