#!/usr/bin/env bash
# check-desktop-entry.sh DESKTOP_FILE: desktop-file-validate says nothing about the menu entry,
# and the entry starts the program the way it expects: with no file arguments.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
entry=$1
need desktop-file-validate

# Debian 12's validator knows the format up to 1.4; SingleMainWindow came with 1.5. Such a
# validator judges the entry written as 1.4 without that key, and this script checks the key.
checked=$entry
known=$(desktop-file-validate --help 2>&1 | sed -n 's/.*[Ss]pecification \([0-9][0-9.]*[0-9]\).*/\1/p' | head -n1)
if [ "$(desktop_value "$entry" Version)" = 1.5 ] && [ "$known" = 1.4 ]; then
    echo "note: desktop-file-validate knows the format up to 1.4; SingleMainWindow is checked here"
    checked="$work/$(basename "$entry")"
    sed -e 's/^Version=1\.5$/Version=1.4/' -e '/^SingleMainWindow=/d' "$entry" >"$checked"
    [ "$(desktop_value "$entry" SingleMainWindow)" = true ] || fail "SingleMainWindow is not true"
fi
if ! report=$(desktop-file-validate "$checked" 2>&1); then
    fail "desktop-file-validate failed"
fi
[ -z "$report" ] || fail "desktop-file-validate reports:"$'\n'"$report"

# The program reads no command line: a field code would hand it file names it ignores.
exec_line=$(desktop_value "$entry" Exec)
case "$exec_line" in
*%*) fail "Exec passes field codes: $exec_line" ;;
"") fail "no Exec line" ;;
esac
finish
