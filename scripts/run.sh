#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the programs (incrementally) and starts one of them:
#
#   ./scripts/run.sh [ARGS]        the window, kanimo
#   ./scripts/run.sh sim [ARGS]    the headless simulator, kanimo-sim
#   ./scripts/run.sh lab [ARGS]    kanimo-lab, where the tree has it
#
# The programs land in build/run/bin, a build of their own without the tests and the
# benchmarks, so that it builds quickly and test.sh's build is never reconfigured by it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/run"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKANIMO_BUILD_APP=ON \
    -DBUILD_TESTING=OFF -DKANIMO_BUILD_BENCH=OFF \
    -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$build/bin" >/dev/null
cmake --build "$build"

program=kanimo
case "${1:-}" in
sim) program=kanimo-sim; shift ;;
lab) program=kanimo-lab; shift ;;
esac
if [ ! -x "$build/bin/$program" ]; then
    echo "run.sh: this tree builds no $program" >&2
    exit 2
fi
exec "$build/bin/$program" "$@"
