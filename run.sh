#!/usr/bin/env bash
# Installs what is missing, builds and starts TobimaruMe. With no display it starts it under
# Xvfb, saves a screenshot of the window to build/screenshot.png and closes it normally.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$top"
./scripts/install-deps.sh
./scripts/build.sh --target TobimaruMe

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/TobimaruMe
fi

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fifo" >/tmp/tobimaru-xvfb.log 2>&1 &
xvfb=$!
read -r num <"$fifo"
rm -f "$fifo"
export DISPLAY=":$num"
cleanup() { kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT

./build/TobimaruMe &
app=$!
win=""
for _ in $(seq 1 100); do
  win=$(xwininfo -root -tree 2>/dev/null | grep -F '"TobimaruMe Ver' | awk '{print $1}' | head -n1 || true)
  [ -n "$win" ] && break
  kill -0 "$app" 2>/dev/null || { echo "TobimaruMe ended before its window was shown" >&2; exit 1; }
  sleep 0.2
done
[ -n "$win" ] || { echo "No TobimaruMe window appeared" >&2; kill "$app"; exit 1; }
sleep 2
import -window "$win" build/screenshot.png
# SIGTERM closes the window the normal way, so the unload steps (and the settings save) run.
kill -TERM "$app"
wait "$app" || true
echo "Screenshot of the window: $top/build/screenshot.png"
