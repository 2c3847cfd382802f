# Shared by the install checks: a scratch folder removed at exit (kept with TOBIMARU_KEEP_WORK=1,
# to look into a failure) together with the processes a check registers in `started`, a skip
# that CTest reports as such, and failures counted so that one run names every fault it finds.
set -euo pipefail

readonly SKIP_CODE=77
failures=0
started=()
work=$(mktemp -d "${TMPDIR:-/tmp}/tobimaru-install.XXXXXX")

cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "${TOBIMARU_KEEP_WORK:-}" ]; then
        echo "scratch folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

skip() {
    echo "SKIPPED: $*"
    exit $SKIP_CODE
}

fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# need TOOL...: skips the check when a tool is missing; scripts/packages.txt names its package.
need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (./scripts/install-deps.sh brings it)"
    done
}

# ini_value FILE SECTION KEY: the value as the program's INI rules read it (names ignore case).
ini_value() {
    awk -v section="$2" -v key="$3" '
        /^\[/ { in_section = (tolower($0) == "[" tolower(section) "]") ; next }
        in_section {
            eq = index($0, "=")
            if (eq > 0 && tolower(substr($0, 1, eq - 1)) == tolower(key)) { print substr($0, eq + 1); exit }
        }' "$1"
}

# desktop_value FILE KEY: a key of the [Desktop Entry] group.
desktop_value() {
    ini_value "$1" "Desktop Entry" "$2"
}

# wait_for SECONDS COMMAND...: polls the command every 0.1 s until it succeeds.
wait_for() {
    local tries=$(($1 * 10))
    shift
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
