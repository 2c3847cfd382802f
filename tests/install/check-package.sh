#!/usr/bin/env bash
# check-package.sh BUILD_DIR APP_ID: the Debian package made from this build holds every file the
# install rules install, at its place under /usr and nothing else, and its control file names
# the libraries the program links and the parts it loads at run time.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build=$1 app_id=$2
need cpack dpkg-deb dpkg-shlibdeps dpkg-architecture objdump appstreamcli
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb_name="tobimarume_${version}_$(dpkg --print-architecture).deb"

# What `cmake --install` puts under a prefix, relative to it.
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
sed -n -e "s|^-- Installing: $work/prefix/||p" -e "s|^-- Up-to-date: $work/prefix/||p" \
    "$work/install.log" | sort >"$work/installed"
[ -s "$work/installed" ] || fail "cmake --install installed nothing"

# The places a desktop looks for each part.
while read -r place; do
    grep -qx "$place" "$work/installed" || fail "the install rules put nothing at $place"
done <<PLACES
bin/TobimaruMe
share/applications/$app_id.desktop
share/metainfo/$app_id.metainfo.xml
share/icons/hicolor/scalable/apps/$app_id.svg
share/doc/tobimarume/README.md
share/doc/tobimarume/LICENSE
PLACES

cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; finish; }
deb="$work/deb/$deb_name"
[ -f "$deb" ] || { fail "cpack made no $deb_name: $(ls "$work/deb")"; finish; }

root="$work/root"
dpkg-deb -x "$deb" "$root"
(cd "$root/usr" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/packaged"
while read -r f; do fail "the package lacks usr/$f"; done < <(comm -23 "$work/installed" "$work/packaged")
while read -r f; do
    fail "the package holds usr/$f, which no rule installs"
done < <(comm -13 "$work/installed" "$work/packaged")
[ -x "$root/usr/bin/TobimaruMe" ] || fail "usr/bin/TobimaruMe is not executable"
cmp -s "$root/usr/share/applications/$app_id.desktop" "$work/prefix/share/applications/$app_id.desktop" ||
    fail "the packaged desktop entry differs from the installed one"

# As installed, the parts find each other: the metainfo its desktop entry, the entry its icon.
report=$(appstreamcli validate-tree --no-net --pedantic --no-color "$root" 2>&1) ||
    fail "appstreamcli validate-tree on the unpacked package:"$'\n'"$report"
icon=$(desktop_value "$root/usr/share/applications/$app_id.desktop" Icon)
compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null ||
    fail "the desktop entry's icon '$icon' is not in the package's hicolor theme"

# Depends, one alternative group per entry, versions dropped: "a | b".
dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed -e 's/([^)]*)//g' -e 's/  */ /g' -e 's/^ //' -e 's/ $//' \
    >"$work/depends"
depends_on() {
    grep -qxF "$1" "$work/depends" || fail "Depends lacks '$1' ($2): $(dpkg-deb -f "$deb" Depends)"
}
# Every library the packaged program needs, by the package that holds it here for this
# architecture (libc6-i386 holds a libc.so.6 as well).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
while read -r soname; do
    owner=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n1 | sed 's/[:,].*//') || true
    [ -n "$owner" ] || { fail "no installed package holds $soname"; continue; }
    depends_on "$owner" "it holds $soname"
done < <(objdump -p "$root/usr/bin/TobimaruMe" | awk '$1 == "NEEDED" { print $2 }')
# The player, the toolkit and the sound server by name, and what is loaded at run time and never
# linked.
while read -r wanted; do
    depends_on "$wanted" "named"
done <<WANTED
libmpv2
libqt6core6
libqt6gui6
libqt6widgets6
libpulse0
qt6-wayland
qt6-translations-l10n
libqt6svg6
fonts-ipafont-gothic | fonts-noto-cjk
libgl1-mesa-dri
WANTED

[ "$(dpkg-deb -f "$deb" Package)" = tobimarume ] || fail "the package is not named tobimarume"
case "$(dpkg-deb -f "$deb" Maintainer)" in
*"<"*@*">") ;;
*) fail "no maintainer address: $(dpkg-deb -f "$deb" Maintainer)" ;;
esac
description=$(dpkg-deb -f "$deb" Description)
[ "$(printf '%s\n' "$description" | wc -l)" -ge 2 ] || fail "the description has no text beyond its summary"
[ "$(printf '%s\n' "$description" | sed -n 2p | sed 's/^ //')" != "$(printf '%s\n' "$description" | head -n1)" ] ||
    fail "the description repeats its summary"
finish
