#!/usr/bin/env bash
# Installs what building, running and testing need on Debian, as root.
# Idempotent: when everything is present it only checks and returns.
#
# Two sets. The 64-bit set is required: the native build, both MinGW
# compilers and 64-bit Wine run every test on any x86-64 machine. The 32-bit
# set (32-bit Wine, and qemu where the kernel runs no 32-bit code) only runs
# the shipped 32-bit exe itself; its failure is reported and never stops the
# 64-bit path, and its install may never remove a package of the other set.
set -euo pipefail
source "$(dirname "$0")/common.sh"

required=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 xvfb x11-utils xauth locales fonts-ipafont-gothic imagemagick mawk gawk python3 file librsvg2-bin)
optional=(wine32:i386)
if ! kernel_runs_i386; then optional+=(qemu-user-static); fi

missing_of() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

# A mirror in the middle of a sync fails some index files ("File has
# unexpected size ... Mirror sync in progress?"): retried, and then taken
# as it is as long as package lists exist at all.
UPDATED=""
apt_update() {
    [ -n "$UPDATED" ] && return 0
    local i
    for i in 1 2 3; do
        if apt-get update -qq >/tmp/ravo-apt-update.log 2>&1; then UPDATED=1; return 0; fi
        sleep $((i * 5))
    done
    if ls /var/lib/apt/lists/*_Packages* >/dev/null 2>&1; then
        echo "setup: apt-get update failed in part; going on with the lists there are:"
        grep -m3 -E '^(E|W):' /tmp/ravo-apt-update.log | sed 's/^/setup:   /'
        UPDATED=1
        return 0
    fi
    cat /tmp/ravo-apt-update.log >&2
    return 1
}

release_suite() { . /etc/os-release && echo "${VERSION_CODENAME:-stable}"; }

# apt_install [apt options...] -- packages...: one attempt as asked; when
# the resolver gives up (as it does when the i386 index lags the amd64 one
# and multi-arch libraries would need different versions), again from the
# release suite, where both architectures agree, naming the dependencies
# it said it would not install (up to three rounds).
apt_install() {
    local opts=() pkgs=() log=/tmp/ravo-apt-install.log round extra
    while [ "$1" != -- ]; do opts+=("$1"); shift; done
    shift
    pkgs=("$@")
    local base=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends
                -o DPkg::Lock::Timeout=300)
    if "${base[@]}" "${opts[@]}" "${pkgs[@]}" >"$log" 2>&1; then return 0; fi
    for round in 1 2 3; do
        if "${base[@]}" "${opts[@]}" -t "$(release_suite)" "${pkgs[@]}" >"$log" 2>&1; then return 0; fi
        extra=$(sed -n 's/^ *\([^ ]*\) : Depends: \([^ ]*\) .*but it is not going to be installed.*/\1 \2/p' "$log" |
                awk '{ dep = $2; if (dep !~ /:/ && $1 ~ /:i386$/) dep = dep ":i386"; print dep }' | sort -u)
        [ -n "$extra" ] || break
        # shellcheck disable=SC2206
        pkgs+=($extra)
    done
    tail -5 "$log" >&2
    return 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    UPDATED=""
    need_update=1
fi

mapfile -t miss_required < <(missing_of "${required[@]}")
mapfile -t miss_optional < <(missing_of "${optional[@]}")
if [ ${#miss_required[@]} -gt 0 ] || [ ${#miss_optional[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
    apt_update
fi
if [ ${#miss_required[@]} -gt 0 ]; then
    echo "setup: installing ${miss_required[*]} ${miss_optional[*]}"
    # Both sets together first, so that shared libraries of the two
    # architectures are chosen in one go.
    if ! apt_install --no-remove -- "${miss_required[@]}" "${miss_optional[@]}"; then
        if ! apt_install -- "${miss_required[@]}"; then
            echo "setup: FAILED to install ${miss_required[*]}" >&2
            exit 1
        fi
        miss_optional=()
        mapfile -t miss_optional < <(missing_of "${optional[@]}")
    else
        miss_optional=()
    fi
fi
if [ ${#miss_optional[@]} -gt 0 ]; then
    echo "setup: installing the 32-bit set ${miss_optional[*]}"
    if ! apt_install --no-remove -- "${miss_optional[@]}"; then
        echo "setup: the 32-bit set could not be installed; the shipped 32-bit exe will not be run here" \
             "(every other test runs on the 64-bit build)"
    fi
fi

# Wine takes its ANSI code page from the locale: ja_JP gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi

# Where the kernel runs no 32-bit code, the 32-bit Wine runs through qemu's
# user-mode emulation: registered for i386 programs only, with the F flag so
# that the interpreter is opened now and works inside any mount namespace.
if ! kernel_runs_i386 && [ -x /usr/bin/qemu-i386-static ] && ! i386_emulated; then
    misc=/proc/sys/fs/binfmt_misc
    [ -e "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc" 2>/dev/null || true
    if [ -e "$misc/register" ]; then
        [ -e "$misc/qemu-i386" ] && echo -1 > "$misc/qemu-i386"
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > "$misc/register" 2>/dev/null || true
    fi
    if i386_emulated; then
        echo "setup: this kernel runs no 32-bit code; i386 programs now run through qemu-i386-static"
    else
        echo "setup: this kernel runs no 32-bit code and qemu could not be registered for i386 programs"
    fi
fi
# Where the kernel runs 32-bit code itself, a qemu-i386 handler left from
# an emulated run would take every i386 program first and only slow it.
if kernel_runs_i386 && i386_emulated; then
    echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null &&
        echo "setup: this kernel runs 32-bit code; the qemu-i386 handler is removed"
fi
exit 0
