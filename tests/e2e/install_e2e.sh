#!/usr/bin/env bash
# Installs a build into a staging folder and runs the installed programs: help, version, a
# bad option and a short headless run, which must print what the build tree's kanimo-sim
# prints. Checks the desktop entry, the icon and the man pages, then builds the Debian
# package and checks what it holds and what it depends on.
#
#   tests/e2e/install_e2e.sh <build-dir>
#
# Needs desktop-file-validate, file and dpkg-deb (Debian: desktop-file-utils file dpkg).
set -uo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <build-dir>" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || exit 2

fail() {
    echo "install e2e: FAILED: $*" >&2
    exit 1
}

for tool in desktop-file-validate file dpkg-deb cpack; do
    command -v "$tool" >/dev/null || fail "$tool not found"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

stage="$build/staging"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
bin="$stage/usr/bin"
share="$stage/usr/share"

# --- the installed programs ----------------------------------------------------------------
out=$("$bin/kanimo" --help) || fail "kanimo --help ended with status $?"
[[ "$out" == "Usage: kanimo "* ]] || fail "kanimo --help printed: ${out:0:200}"
out=$("$bin/kanimo" --version) || fail "kanimo --version ended with status $?"
[ "$out" = "kanimo $version" ] || fail "kanimo --version printed \"$out\", not \"kanimo $version\""
out=$("$bin/kanimo-sim" --version) || fail "kanimo-sim --version ended with status $?"
[ "$out" = "kanimo-sim $version" ] || fail "kanimo-sim --version printed \"$out\""
"$bin/kanimo" --seed 12x 2>/dev/null
status=$?
[ "$status" -eq 2 ] || fail "kanimo --seed 12x ended with status $status, not 2"
"$bin/kanimo-sim" --help >/dev/null || fail "kanimo-sim --help ended with status $?"
out=$("$bin/kanimo-lab" --version) || fail "kanimo-lab --version ended with status $?"
[ "$out" = "kanimo-lab $version" ] || fail "kanimo-lab --version printed \"$out\""
out=$("$bin/kanimo-lab" --scale 65 2>&1)
status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <<<"$out")" -eq 1 ] ||
    fail "kanimo-lab --scale 65 ended with status $status and said: $out"
installed=$("$bin/kanimo-sim" --seed 1 --steps 100 --dump) || fail "the installed kanimo-sim failed"
[[ "$installed" == "step 100 "* ]] || fail "the installed kanimo-sim printed: ${installed:0:200}"
[ "$installed" = "$("$build/tools/kanimo-sim" --seed 1 --steps 100 --dump)" ] ||
    fail "the installed kanimo-sim and the build tree's disagree"

# --- what a desktop needs --------------------------------------------------------------------
for entry in kanimo kanimo-lab; do
    desktop-file-validate "$share/applications/$entry.desktop" || fail "the desktop entry $entry is not valid"
done
icon="$share/icons/hicolor/256x256/apps/kanimo.png"
file "$icon" | grep -q 'PNG image data, 256 x 256' || fail "the icon is not a 256 by 256 PNG: $(file "$icon")"
for program in kanimo kanimo-sim kanimo-lab; do
    page="$share/man/man1/$program.1"
    grep -qi "^\.TH \"\?$program\"\? " "$page" 2>/dev/null || fail "no man page $page"
done

# --- the Debian package ----------------------------------------------------------------------
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || fail "cpack -G DEB failed: $(tail -n 3 "$build/cpack.log")"
deb="$build/package/kanimo_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package $deb"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libpng16-16 libstdc++6; do
    [[ "$depends" == *"$lib "* ]] || fail "the package does not depend on $lib: $depends"
done
contents=$(dpkg-deb -c "$deb")
for path in usr/bin/kanimo usr/bin/kanimo-sim usr/bin/kanimo-lab usr/share/applications/kanimo.desktop \
    usr/share/applications/kanimo-lab.desktop usr/share/man/man1/kanimo-lab.1 \
    usr/share/icons/hicolor/256x256/apps/kanimo.png usr/share/man/man1/kanimo.1; do
    grep -q " \./$path\$" <<<"$contents" || fail "the package lacks /$path"
done
echo "install e2e: passed ($deb)"
