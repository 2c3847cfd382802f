#!/usr/bin/env bash
# bench/startup.sh [RUNS]: from the start of the process to its window painted, our program
# with a start folder of 1,000 files against `mpv --idle --force-window`, in turns on one Xvfb.
# "Painted" is the same for both (bench_window_watch): the first moment any pixel of the
# program's main window differs from the root window's colour under it. Our splash window does
# not count; the main window is told by its caption. BASELINE=path/to/TobimaruMe adds another
# build of ours to the turns. Needs Xvfb and mpv; BUILD names the build folder (default build/).
. "$(dirname "${BASH_SOURCE[0]}")/whole-process.sh"
runs=${1:-11}

start_xvfb
mkdir -p "$work/start"
for i in $(seq -w 1 1000); do : >"$work/start/file$i.avi"; done
ini="[Boot]\nSearchPath=1\n[FilePath]\nPath=$work/start\n[FormPos]\nXPosition=0\nYPosition=0\nWidth=18000\nHeight=12000\nWindowState=0\n"
install_copy "$work/ours" "$ours" "$ini"
programs=(ours mpv)
if [ -n "${BASELINE:-}" ]; then
    install_copy "$work/baseline" "$BASELINE" "$ini"
    programs+=(baseline)
fi

run() {
    case $1 in
    ours | baseline) "$watch" --title "TobimaruMe Ver" -- "$work/$1/TobimaruMe" ;;
    mpv) "$watch" -- mpv --no-config --idle --force-window --geometry=1200x800+0+0 ;;
    esac 2>/dev/null | field painted_ms
}

# One round first, not counted: it brings the files into the page cache for everyone.
for p in "${programs[@]}"; do run "$p" >/dev/null; done
for p in "${programs[@]}"; do : >"$work/$p.ms"; done
for ((i = 0; i < runs; i++)); do
    for p in "${programs[@]}"; do run "$p" >>"$work/$p.ms"; done
done

echo "start to window painted, median of $runs runs in turns (ms):"
mpv_ms=$(median <"$work/mpv.ms")
for p in "${programs[@]}"; do
    ms=$(median <"$work/$p.ms")
    printf '  %-9s %7.1f   %.2fx mpv   (all: %s)\n' "$p" "$ms" "$(awk -v a="$ms" -v b="$mpv_ms" 'BEGIN { print a / b }')" \
        "$(tr '\n' ' ' <"$work/$p.ms")"
done
