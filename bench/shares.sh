#!/bin/sh
# The share benchmarks: makes the folders, mounts them twice through a pass-through FUSE file
# system that answers every getattr and readdir after DELAY_MS (1 unless given) and logs each
# call, once with typed and once with typeless directory entries, runs bench_shares over them,
# and unmounts them on every way out.
#
#   [BUILD_DIR=build] [DELAY_MS=1] bench/shares.sh [benchmark options]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../build}
delay=${DELAY_MS:-1}
python=/usr/bin/python3 # Debian's fusepy lives with the system's python
[ -x "$python" ] || python=python3
work=$(mktemp -d "${TMPDIR:-/tmp}/tobimaru-shares.XXXXXX")
typed=$work/typed
typeless=$work/typeless
mkdir -p "$work/source" "$typed" "$typeless"

cleanup() {
    for m in "$typed" "$typeless"; do
        fusermount3 -u -z "$m" 2>/dev/null || fusermount -u -z "$m" 2>/dev/null || true
    done
    [ -n "${feed_typed:-}" ] && kill "$feed_typed" 2>/dev/null || true
    [ -n "${feed_typeless:-}" ] && kill "$feed_typeless" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# big: 5,000 files, a third of them of a listed type; tree: 500 subfolders, each with two files
# and a folder of its own.
"$python" - "$work/source" <<'PY'
import os, sys
root = sys.argv[1]
big = os.path.join(root, "big")
os.makedirs(big)
kinds = ["avi", "txt", "jpg"]
for i in range(5000):
    name = "clip%05d.%s" % (i, kinds[i % 3])
    with open(os.path.join(big, name), "wb") as f:
        f.truncate(1000 + i)
tree = os.path.join(root, "tree")
for i in range(500):
    sub = os.path.join(tree, "folder%03d" % i)
    os.makedirs(os.path.join(sub, "inner"))
    for n in ("a.avi", "b.txt"):
        open(os.path.join(sub, n), "wb").close()
PY

# The slow share of the tests, answering from the start (--open); its stdin is held open by a
# sleeper, as the end of its stdin would release nothing here but still mean "go".
mount_share() { # mountpoint log [--typeless]
    fifo=$work/$(basename "$1").in
    mkfifo "$fifo"
    "$python" "$here/../tests/support/hanging_fuse.py" "$1" "$2" sshfs 86400 --source "$work/source" \
        --delay-ms "$delay" --open "$@" <"$fifo" >"$work/$(basename "$1").out" 2>&1 &
    sleep 1000000 >"$fifo" &
    echo $!
}
feed_typed=$(mount_share "$typed" "$work/typed.log")
feed_typeless=$(mount_share "$typeless" "$work/typeless.log" --typeless)
for m in typed typeless; do
    for _ in $(seq 1 100); do
        grep -q ready "$work/$m.out" 2>/dev/null && break
        sleep 0.1
    done
    grep -q ready "$work/$m.out" || { echo "the $m share did not mount:"; cat "$work/$m.out"; exit 1; }
done

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
TOBIMARU_SHARE_TYPED=$typed TOBIMARU_SHARE_TYPELESS=$typeless \
TOBIMARU_SHARE_TYPED_LOG=$work/typed.log TOBIMARU_SHARE_TYPELESS_LOG=$work/typeless.log \
    "$build/bench/bench_shares" "$@" 2>&1 | grep -v '^$' || true
echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
