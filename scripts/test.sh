#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the sources' layout, then builds and runs the whole test suite twice: an optimised build, and a build with
# AddressSanitizer, UndefinedBehaviorSanitizer and leak detection where any report fails;
# the Python module's tests run against the optimised build. Then starts the real program
# under a virtual display and drives it with keys, and installs the build into a staging
# folder and runs the installed programs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

configure() { # dir, cmake arguments... (re-running is quick and keeps the options right)
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}

echo "== source layout (.clang-format)"
(cd "$root" && find src tools tests bench python \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror)

release="$root/build/release"
asan="$root/build/sanitize"
configure "$release" -DCMAKE_BUILD_TYPE=Release -DKANIMO_BUILD_APP=ON
configure "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKANIMO_SANITIZE=ON -DKANIMO_BUILD_APP=ON

echo "== optimised build"
cmake --build "$release"
ctest --test-dir "$release" --output-on-failure -j2

echo "== Python module"
# Debian's interpreter, which sees Debian's NumPy, pandas and Dask; the module as built.
PYTHONPATH="$release/python" KANIMO_SIM="$release/tools/kanimo-sim" PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider "$root/tests/python"

echo "== sanitizer build"
cmake --build "$asan"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$asan" --output-on-failure -j2
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== fuzz targets"
"$root/scripts/fuzz.sh" 20000

if [ -x "$root/tests/e2e/window_e2e.sh" ]; then
  echo "== window, end to end"
  "$root/tests/e2e/window_e2e.sh" "$release/src/app/kanimo" "$root/artifacts"
fi
if [ -x "$root/tests/e2e/lab_e2e.sh" ]; then
  echo "== kanimo-lab, end to end"
  "$root/tests/e2e/lab_e2e.sh" "$release/src/lab/kanimo-lab" "$release/tools/kanimo-sim" "$root/artifacts"
fi
if [ -x "$root/tests/e2e/desktop_e2e.sh" ]; then
  echo "== window on a desktop, end to end"
  "$root/tests/e2e/desktop_e2e.sh" "$release/src/app/kanimo"
fi
if [ -x "$root/tests/e2e/install_e2e.sh" ]; then
  echo "== install and package"
  "$root/tests/e2e/install_e2e.sh" "$release"
fi
echo "All tests passed."
