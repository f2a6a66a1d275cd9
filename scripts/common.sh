# Shared by the scripts: paths, the builds, the Wine prefixes, a display.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
mkdir -p "$BUILD"

build_native() {
    cmake --preset native -G Ninja >/dev/null
    cmake --build "$BUILD/native"
}

# build_windows win32|win64: the exe, the driver and the end-to-end tests.
build_windows() {
    cmake --preset "$1" -G Ninja >/dev/null
    cmake --build "$BUILD/$1"
}
build_win32() { build_windows win32; }

# ---- what this machine executes ---------------------------------------

# Whether the kernel itself runs i386 user code. Tried, not guessed: a
# twelve-byte i386 program that exits with 42. A registered qemu-i386
# binfmt handler would answer before the kernel's own loader, so it is
# switched off for the probe (root only; without root a registered handler
# counts as "no").
# RAVO_KERNEL_RUNS_I386=no makes a machine that runs it behave as one that does
# not (with qemu registered, that tries the emulated path).
KERNEL_RUNS_I386="${RAVO_KERNEL_RUNS_I386:-}"
kernel_runs_i386() {
    if [ -z "$KERNEL_RUNS_I386" ]; then
        local probe entry=/proc/sys/fs/binfmt_misc/qemu-i386 paused=0 rc
        probe="$(mktemp /tmp/ravo-i386-probe-XXXXXX)"
        python3 - "$probe" <<'EOF'
import struct, sys
code = bytes([0xb8, 1, 0, 0, 0, 0xbb, 42, 0, 0, 0, 0xcd, 0x80])  # exit(42) through int 0x80
base, eh, ph = 0x08048000, 52, 32
head = b"\x7fELF\x01\x01\x01" + b"\0" * 9 + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + eh + ph, eh, 0, 0, eh, ph, 1, 0, 0, 0)
size = eh + ph + len(code)
prog = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
open(sys.argv[1], "wb").write(head + prog + code)
EOF
        chmod +x "$probe"
        if [ -f "$entry" ] && head -1 "$entry" | grep -qx enabled; then
            if echo 0 > "$entry" 2>/dev/null; then paused=1; else KERNEL_RUNS_I386=no; fi
        fi
        if [ -z "$KERNEL_RUNS_I386" ]; then
            rc=0; "$probe" 2>/dev/null || rc=$?
            if [ "$rc" = 42 ]; then KERNEL_RUNS_I386=yes; else KERNEL_RUNS_I386=no; fi
        fi
        [ "$paused" = 1 ] && echo 1 > "$entry"
        rm -f "$probe"
    fi
    [ "$KERNEL_RUNS_I386" = yes ]
}

have_wine32() { [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wineserver32 ]; }
have_wine64() { [ -x /usr/lib/wine/wine64 ] && [ -x /usr/lib/wine/wineserver64 ]; }
i386_emulated() { [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] && head -1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -qx enabled; }

# Sets WINE_BUILD (win32 or win64) to the build the tests run here, and
# WINE_BUILD_WHY to the reason. RAVO_WINE_BUILD=win32|win64 overrides it.
choose_wine_build() {
    if [ -n "${RAVO_WINE_BUILD:-}" ]; then
        WINE_BUILD="$RAVO_WINE_BUILD"; WINE_BUILD_WHY="chosen by RAVO_WINE_BUILD"
    elif ! kernel_runs_i386; then
        WINE_BUILD=win64; WINE_BUILD_WHY="this kernel runs no 32-bit code"
    elif ! have_wine32; then
        WINE_BUILD=win64; WINE_BUILD_WHY="32-bit Wine is not installed"
    else
        WINE_BUILD=win32; WINE_BUILD_WHY="this kernel runs 32-bit code"
    fi
}

# wine_env win32|win64 [prefix]: a Wine of that width in a Japanese locale
# (ANSI code page 932), in a prefix of our own, with one server for the
# whole run. Defines `wine` and `wineserver` for the scripts and exports WINE
# for the host simulator.
wine_env() {
    local arch="$1"
    export WINEARCH="$arch" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    export WINEPREFIX="${2:-$BUILD/wineprefix-$arch}"
    if [ "$arch" = win64 ]; then
        export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    else
        export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
    fi
    export WINE="$WINELOADER"
    if [ ! -x "$WINE" ]; then
        echo "wine: $WINE is missing (the $arch Wine is not installed)" >&2
        return 1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating the $arch prefix $WINEPREFIX"
        # To a file: the server and the services wineboot starts keep its
        # output open for as long as they run.
        local log="${WINEPREFIX%/}.wineboot.log"
        mkdir -p "$(dirname "$WINEPREFIX")"
        if ! "$WINE" wineboot -i >"$log" 2>&1 || ! "$WINESERVER" -w || [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine: could not create the prefix $WINEPREFIX:" >&2
            tail -20 "$log" >&2
            return 1
        fi
    fi
    "$WINESERVER" -p >/dev/null 2>&1 || true
}
wine() { "$WINE" "$@"; }
wineserver() { "$WINESERVER" "$@"; }

# Starts Xvfb on a free display.
XVFB_PID=""
start_xvfb() {
    local n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "Xvfb did not start" >&2
    return 1
}

stop_all() {
    [ -n "${WINESERVER:-}" ] && [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# Windows path of a Linux path.
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

# The folder a user copies into the host's external-transformation folder,
# from the given build (the product is win32).
assemble_package() {
    local out="$1" build="${2:-win32}"
    rm -rf "$out"
    mkdir -p "$out/data"
    cp "$BUILD/$build/src/app/Ravo鋼矢板.exe" "$out/"
    cp "$ROOT"/data/pile_*.dat "$ROOT"/data/h_sections.dat "$out/data/"
    local section
    for section in "$ROOT"/data/*/; do
        mkdir -p "$out/data/$(basename "$section")"
        cp "$section"pile_*.dat "$out/data/$(basename "$section")/"
    done
    "$ROOT/dist/make-bat.sh" "$out/Ravo鋼矢板.bat" two-point
    "$ROOT/dist/make-bat.sh" "$out/Ravo鋼矢板_線選択.bat" select
    "$ROOT/dist/make-bat.sh" "$out/Ravo鋼矢板_連続点.bat" points
}
