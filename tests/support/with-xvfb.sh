#!/usr/bin/env bash
# Runs a command on a private Xvfb display. The server picks a free display number itself
# (-displayfd), so parallel test runs never race for one.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
server=$!
# The server is waited for: one still shutting down removes its socket after a server started
# next (by the next test) may already have taken the same display number.
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r -t 20 num <"$fifo"
export DISPLAY=":$num"
export QT_QPA_PLATFORM=xcb
"$@"
