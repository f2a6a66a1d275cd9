# Shared by the scripts: paths, the Wine prefix, a display.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

build_native() {
    cmake --preset native -G Ninja >/dev/null
    cmake --build "$BUILD/native"
}

build_win32() {
    cmake --preset win32 -G Ninja >/dev/null
    cmake --build "$BUILD/win32"
}

# A 32-bit Wine prefix of our own, in a Japanese locale (ANSI code page 932).
wine_env() {
    export WINEPREFIX="$BUILD/wineprefix" WINEARCH=win32 WINEDEBUG=-all
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating the prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # One server for the whole run keeps every start quick.
    wineserver -p >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display unless `keep_display` is set and one exists.
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
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# Windows path of a Linux path.
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

# The folder a user copies into the host's external-transformation folder.
assemble_package() {
    local out="$1"
    rm -rf "$out"
    mkdir -p "$out/data"
    cp "$BUILD/win32/src/app/Ravo鋼矢板.exe" "$out/"
    cp "$ROOT"/data/pile_*.dat "$out/data/"
    "$ROOT/dist/make-bat.sh" "$out/Ravo鋼矢板.bat"
}
