#!/usr/bin/env bash
# check-session.sh x11|wayland EXECUTABLE DESKTOP_FILE: starts a copy of the program (so that its
# settings file beside it is the one used) on a private Xvfb server or headless Weston
# compositor, waits for its main window, checks that the window carries the name its desktop
# entry matches it by, ends it with SIGTERM as a logout would, and checks what the settings save
# left. On Wayland the stored position must come back unchanged, since no client can learn where
# its window stands there.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
session=$1 program=$2 entry=$3
readonly caption="TobimaruMe Ver"
readonly stored_x=1725 stored_y=2340

app="$work/app"
mkdir -p "$app" "$work/home" "$work/run"
chmod 700 "$work/run"
cp "$program" "$app/TobimaruMe"
printf '[FormPos]\nXPosition=%s\nYPosition=%s\nWidth=9000\nHeight=7000\nWindowState=0\n' \
    "$stored_x" "$stored_y" >"$app/TobimaruMe.ini"
# The program's own session: no settings, lock, bus or sound server of the user's are reached,
# and Qt picks its platform itself, as on a desktop.
session_env=(-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home"
    XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" PULSE_SERVER=unix:/nonexistent
    DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent)

start_x11() {
    need Xvfb xwininfo xprop
    mkfifo "$work/displayfd"
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$work/displayfd" >"$work/server.log" 2>&1 &
    started+=($!)
    local num
    read -r -t 20 num <"$work/displayfd" || skip "Xvfb did not start: $(cat "$work/server.log")"
    display=":$num"
    session_env+=(DISPLAY="$display")
}

start_wayland() {
    need weston
    XDG_RUNTIME_DIR="$work/run" weston --backend=headless-backend.so --use-pixman --socket=tobimaru-test \
        --idle-time=0 --no-config >"$work/server.log" 2>&1 &
    started+=($!)
    wait_for 10 test -S "$work/run/tobimaru-test" 2>/dev/null ||
        skip "headless Weston did not start: $(tail -n 5 "$work/server.log")"
    # Without DISPLAY only a native Wayland window can appear, as on a desktop without XWayland.
    session_env+=(WAYLAND_DISPLAY=tobimaru-test WAYLAND_DEBUG=client)
}

# x11_window: the id of the main window, by its caption, once it is mapped.
x11_window() {
    local id
    id=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | awk -v c="\"$caption" 'index($0, c) { print $1; exit }')
    [ -n "$id" ] && DISPLAY=$display xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
}

# wayland_shown: true once the toplevel with the caption has been configured by the compositor
# and has committed a picture; prints its application id. Reads the client's protocol log.
wayland_shown() {
    awk -v caption="$caption" '
        function id_after(s, prefix,    i, rest) {
            i = index(s, prefix)
            if (!i) return ""
            rest = substr(s, i + length(prefix))
            match(rest, /^[0-9]+/)
            return substr(rest, 1, RLENGTH)
        }
        /-> xdg_wm_base@[0-9]+\.get_xdg_surface\(/ {
            surface_of[id_after($0, "new id xdg_surface@")] = id_after($0, "wl_surface@")
        }
        /-> xdg_surface@[0-9]+\.get_toplevel\(/ {
            xdg_of[id_after($0, "new id xdg_toplevel@")] = id_after($0, "-> xdg_surface@")
        }
        /-> xdg_toplevel@[0-9]+\.set_app_id\(/ {
            s = $0; sub(/.*set_app_id\("/, "", s); sub(/"\).*/, "", s); app_id[id_after($0, "-> xdg_toplevel@")] = s
        }
        !xdg && index($0, "set_title(\"" caption) {
            top = id_after($0, "-> xdg_toplevel@"); xdg = xdg_of[top]; surface = surface_of[xdg]
        }
        xdg && index($0, "-> xdg_surface@" xdg ".ack_configure(") { acked = 1 }
        acked && index($0, "-> wl_surface@" surface ".attach(wl_buffer@") { attached = 1 }
        attached && index($0, "-> wl_surface@" surface ".commit()") { print app_id[top]; found = 1; exit }
        END { exit !found }' "$work/program.log"
}

case "$session" in
x11) start_x11 ;;
wayland) start_wayland ;;
*) echo "usage: check-session.sh x11|wayland EXECUTABLE DESKTOP_FILE" >&2; exit 2 ;;
esac

: >"$work/program.log" # read from the first poll on
(cd "$work/home" && exec env "${session_env[@]}" "$app/TobimaruMe") >"$work/program.log" 2>&1 &
program_pid=$!
started+=($program_pid)

shown() {
    kill -0 "$program_pid" 2>/dev/null || return 0 # ended: the checks below say so
    case "$session" in
    x11) x11_window >/dev/null ;;
    wayland) wayland_shown >/dev/null ;;
    esac
}
wait_for 15 shown || true
if ! kill -0 "$program_pid" 2>/dev/null; then
    fail "the program ended before its window was shown:"$'\n'"$(grep -v '^\[' "$work/program.log" | tail -n 20)"
    finish
fi

wanted_class=$(desktop_value "$entry" StartupWMClass)
wanted_id=$(basename "$entry" .desktop)
case "$session" in
x11)
    if window=$(x11_window); then
        # WM_CLASS(STRING) = "instance", "class": desktops match the class to StartupWMClass.
        class=$(DISPLAY=$display xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
        [ "$class" = "$wanted_class" ] ||
            fail "the window's class is '$class', the desktop entry expects '$wanted_class'"
    else
        fail "no window captioned '$caption...' was shown on X11"
    fi
    ;;
wayland)
    if app_id=$(wayland_shown); then
        [ "$app_id" = "$wanted_id" ] ||
            fail "the window's application id is '$app_id', the desktop entry is $wanted_id"
    else
        fail "no window captioned '$caption...' was shown on Wayland"
    fi
    ;;
esac

# SIGTERM closes the window the normal way, so the settings are saved.
kill -TERM "$program_pid"
status=0
if ! wait_for 15 eval '! kill -0 "$program_pid" 2>/dev/null'; then
    fail "the program did not end within 15 s of SIGTERM"
    kill -KILL "$program_pid" 2>/dev/null || true
fi
wait "$program_pid" || status=$?
[ "$status" = 0 ] || fail "the program exited with $status after SIGTERM"
ini="$app/TobimaruMe.ini"
[ -n "$(ini_value "$ini" FilePath Path)" ] || fail "the settings were not saved: no [FilePath] Path in $ini"
if [ "$session" = wayland ]; then
    [ "$(ini_value "$ini" FormPos XPosition)" = "$stored_x" ] &&
        [ "$(ini_value "$ini" FormPos YPosition)" = "$stored_y" ] ||
        fail "the stored position $stored_x, $stored_y became $(ini_value "$ini" FormPos XPosition), $(ini_value "$ini" FormPos YPosition)"
fi
finish
