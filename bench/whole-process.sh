# Shared by bench/startup.sh and bench/playcpu.sh (sourced): a private Xvfb, an environment
# that keeps the programs away from the user's settings, lock, bus and sound server, and the
# median of a list of figures.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=${BUILD:-$here/../build}
watch="$build/bench/bench_window_watch"
ours="$build/TobimaruMe"

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
    done
}
need Xvfb mpv
[ -x "$watch" ] && [ -x "$ours" ] || { echo "build first: $watch and $ours are needed" >&2; exit 2; }

# Under /var/tmp by default: the tree scans the start folder's neighbours, and /tmp is busy.
work=$(mktemp -d "${TMPDIR:-/var/tmp}/tobimaru-bench.XXXXXX")
server=
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# start_xvfb: one server for every run of both programs.
start_xvfb() {
    mkfifo "$work/displayfd"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    server=$!
    local num
    read -r -t 20 num <"$work/displayfd" || { echo "Xvfb did not start" >&2; exit 1; }
    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
    export DISPLAY=":$num" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
    export PULSE_SERVER=unix:/nonexistent DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
}

# install_copy DIR BINARY INI_TEXT: a portable copy, whose settings file is the one beside it.
install_copy() {
    mkdir -p "$1"
    cp "$2" "$1/TobimaruMe"
    printf '%b' "$3" >"$1/TobimaruMe.ini"
}

# median: of the numbers on standard input.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# field NAME: the value of NAME=... in the watcher's output on standard input.
field() {
    tr ' ' '\n' | awk -F= -v k="$1" '$1 == k { print $2 }'
}
