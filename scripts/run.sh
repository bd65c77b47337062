#!/usr/bin/env bash
# Builds a program (incrementally) and starts it: the classic window, or with "lab" as the
# first argument, kanimo-lab. Other arguments go to the program.
#   ./scripts/run.sh [options]          # kanimo
#   ./scripts/run.sh lab [options]      # kanimo-lab
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKANIMO_BUILD_APP=ON >/dev/null
if [ "${1:-}" = lab ]; then
  shift
  cmake --build "$build" --target kanimo-lab
  exec "$build/src/lab/kanimo-lab" "$@"
fi
cmake --build "$build" --target kanimo
exec "$build/src/app/kanimo" "$@"
