#!/usr/bin/env bash
# check-metainfo.sh METAINFO VERSION APP_ID: appstreamcli finds no issue in the metainfo, even a
# pedantic one, and the file speaks of the program this build makes: its id, its desktop entry
# and the project's version as the newest release.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
metainfo=$1 version=$2 app_id=$3
need appstreamcli

status=0
report=$(appstreamcli validate --no-net --pedantic --strict --no-color "$metainfo" 2>&1) || status=$?
[ "$status" = 0 ] || fail "appstreamcli validate exited with $status"
report=$(printf '%s\n' "$report" | grep -v -e '^[[:space:]]*$' -e '^✔ Validation was successful\.$' || true)
[ -z "$report" ] || fail "appstreamcli validate reports:"$'\n'"$report"

# element NAME: the text of the first <NAME ...>text</NAME> with no language attribute.
element() {
    sed -n "s|.*<$1\( [^>]*\)\{0,1\}>\([^<]*\)</$1>.*|\2|p" "$metainfo" | head -n1
}
newest=$(sed -n 's/.*<release [^>]*version="\([^"]*\)".*/\1/p' "$metainfo" | head -n1)
[ "$newest" = "$version" ] || fail "the newest release is '$newest', the project is $version"
[ "$(element id)" = "$app_id" ] || fail "the id is '$(element id)', the build installs $app_id"
[ "$(element launchable)" = "$app_id.desktop" ] ||
    fail "the launchable is '$(element launchable)', the desktop entry is $app_id.desktop"
grep -q "<summary xml:lang=\"ja\">" "$metainfo" || fail "no Japanese summary"
grep -q "<p xml:lang=\"ja\">" "$metainfo" || fail "no Japanese description"
finish
