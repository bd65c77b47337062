#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs a build into a staging folder and runs the installed programs: help, version, a
# bad option and a short headless run, which must print what the build tree's kanimo-sim
# prints. Checks the desktop entries, the icon, the man pages and the licence, then builds
# the Debian package, checks what it holds and what it depends on, and runs lintian on it,
# which must report no error and no warning.
#
#   tests/e2e/install_e2e.sh <build-dir>
#
# Needs desktop-file-validate, file, dpkg-deb, lintian and man (Debian: desktop-file-utils
# file dpkg lintian man-db).
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

for tool in desktop-file-validate file dpkg-deb cpack lintian man; do
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
# A file that holds a world no run reaches: both programs refuse it with the same one line.
unreachable="$(dirname "$0")/unreachable.sav"
sim_line=$("$bin/kanimo-sim" --load "$unreachable" --steps 1 2>&1 >/dev/null)
[ $? -eq 2 ] || fail "kanimo-sim --load of a world no run reaches did not end with status 2"
window_line=$("$bin/kanimo" --load "$unreachable" 2>&1 >/dev/null)
[ $? -eq 2 ] || fail "kanimo --load of a world no run reaches did not end with status 2"
[[ "$sim_line" == "kanimo-sim: cannot load '"*"': creature 0: phaseSeed "* ]] ||
    fail "kanimo-sim said: $sim_line"
[ "${window_line#kanimo: }" = "${sim_line#kanimo-sim: }" ] ||
    fail "the window program said \"$window_line\", kanimo-sim \"$sim_line\""

# --- the Python module, where it was built: Debian's interpreter finds it in dist-packages --
pydir="$stage/usr/lib/python3/dist-packages"
if [ -d "$pydir/kanimo" ]; then
    out=$(cd / && PYTHONPATH="$pydir" /usr/bin/python3 -c \
        'import kanimo; w = kanimo.World(seed=1); w.step(100); print(w.dump(), end="")') ||
        fail "the installed Python module failed"
    [ "$out" = "$installed" ] || fail "the installed Python module and kanimo-sim disagree"
fi

# --- what a desktop needs --------------------------------------------------------------------
[ -f "$share/applications/kanimo.desktop" ] || fail "no desktop entry for kanimo"
[ -f "$share/applications/kanimo-lab.desktop" ] || fail "no desktop entry for kanimo-lab"
for entry in "$share"/applications/*.desktop; do
    desktop-file-validate "$entry" || fail "the desktop entry $entry is not valid"
done
icon="$share/icons/hicolor/256x256/apps/kanimo.png"
file "$icon" | grep -q 'PNG image data, 256 x 256' || fail "the icon is not a 256 by 256 PNG: $(file "$icon")"
# Every installed program has a compressed man page that man renders without a warning.
for program in "$bin"/*; do
    name=$(basename "$program")
    page="$share/man/man1/$name.1.gz"
    [ -f "$page" ] || fail "no man page $page"
    title=$(zcat "$page" | grep -m 1 '^\.TH ' | cut -d' ' -f2)
    [ "$title" = "$(tr '[:lower:]' '[:upper:]' <<<"$name")" ] || fail "$page is titled '$title'"
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
done
grep -q '^License: Expat$' "$share/doc/kanimo/copyright" || fail "no licence in $share/doc/kanimo/copyright"
zcat "$share/doc/kanimo/changelog.gz" | head -n 1 | grep -q "^kanimo ($version) " ||
    fail "the changelog's latest entry is not version $version"

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
    usr/share/applications/kanimo-lab.desktop usr/share/man/man1/kanimo-lab.1.gz \
    usr/share/icons/hicolor/256x256/apps/kanimo.png usr/share/man/man1/kanimo.1.gz \
    usr/share/doc/kanimo/copyright usr/share/doc/kanimo/changelog.gz; do
    grep -q " \./$path\$" <<<"$contents" || fail "the package lacks /$path"
done
if [ -d "$pydir/kanimo" ]; then
    for path in usr/lib/python3/dist-packages/kanimo/__init__.py \
        usr/lib/python3/dist-packages/kanimo/sweep.py; do
        grep -q " \./$path\$" <<<"$contents" || fail "the package lacks /$path"
    done
    grep -q " \./usr/lib/python3/dist-packages/kanimo/_kanimo\..*\.so\$" <<<"$contents" ||
        fail "the package lacks the compiled module"
    [[ "$depends" == *"python3-numpy"* && "$depends" == *"python3-pandas"* ]] ||
        fail "the package does not depend on NumPy and pandas: $depends"
fi
# lintian names what Debian's policy finds wrong.
lintian --fail-on error,warning "$deb" >"$build/lintian.log" 2>&1 ||
    fail "lintian reports: $(grep -v '^running with root' "$build/lintian.log")"
echo "install e2e: passed ($deb)"
