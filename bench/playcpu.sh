#!/usr/bin/env bash
# bench/playcpu.sh [RUNS]: processor time (user + system seconds per second) while a 640x480
# clip plays, our program against the mpv player, in turns on one Xvfb with software GL
# (LIBGL_ALWAYS_SOFTWARE=1). mpv plays the clip in a 640x480 window of its own choice of video
# output, as it is run by hand; ours plays it at 100% (DisplaySize 0), so that its picture is
# 640x480 too, started by a double click on its row. Each run waits 3 s after the start of the
# file, measures 8 s of the 20 s clip, and checks that the picture moved and that the caption
# names the clip. BASELINE=path/to/TobimaruMe adds another build of ours to the turns.
# Needs Xvfb, mpv and ffmpeg; BUILD names the build folder (default build/).
. "$(dirname "${BASH_SOURCE[0]}")/whole-process.sh"
need ffmpeg
runs=${1:-5}

start_xvfb
export LIBGL_ALWAYS_SOFTWARE=1
mkdir -p "$work/media"
clip="$work/media/clip.avi"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=s=640x480:r=30:d=20 \
    -f lavfi -i sine=f=440:d=20 -c:v mpeg4 -q:v 4 -c:a mp3 -shortest "$clip"

# A 1200x800 window whose pane holds the picture at its own size; the first row of the list
# (the clip) is at (40, 332) of the window and the picture at (407, 160) in this layout.
ini="[Boot]\nSearchPath=1\n[FilePath]\nPath=$work/media\n[MoviePlay]\nScreenSize=2\n[FormPos]\nXPosition=0\nYPosition=0\nWidth=18000\nHeight=12000\nWindowState=0\n"
install_copy "$work/ours" "$ours" "$ini"
programs=(ours mpv)
if [ -n "${BASELINE:-}" ]; then
    install_copy "$work/baseline" "$BASELINE" "$ini"
    programs+=(baseline)
fi

measure=(--warmup 3 --measure 8)
run() {
    local out
    case $1 in
    ours | baseline)
        out=$("$watch" --title "TobimaruMe Ver" --dclick 40,332 "${measure[@]}" --area 407,160,640,480 \
            -- "$work/$1/TobimaruMe" 2>/dev/null) ;;
    mpv)
        out=$("$watch" --title "clip" "${measure[@]}" -- mpv --no-config --geometry=640x480+0+0 "$clip" \
            2>/dev/null) ;;
    esac
    if ! grep -q "moving=1" <<<"$out" || ! grep -q "^title=.*clip\.avi" <<<"$out"; then
        echo "$1 did not play the clip: $out" >&2
        exit 1
    fi
    field cpu_per_s <<<"$out"
}

for p in "${programs[@]}"; do : >"$work/$p.cpu"; done
for ((i = 0; i < runs; i++)); do
    for p in "${programs[@]}"; do run "$p" >>"$work/$p.cpu"; done
done

echo "processor seconds per second of play, median of $runs runs in turns:"
mpv_cpu=$(median <"$work/mpv.cpu")
for p in "${programs[@]}"; do
    cpu=$(median <"$work/$p.cpu")
    printf '  %-9s %.4f   %.2fx mpv   (all: %s)\n' "$p" "$cpu" "$(awk -v a="$cpu" -v b="$mpv_cpu" 'BEGIN { print a / b }')" \
        "$(tr '\n' ' ' <"$work/$p.cpu")"
done
