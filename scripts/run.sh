#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program (incrementally) and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKANIMO_BUILD_APP=ON >/dev/null
cmake --build "$build" --target kanimo
exec "$build/src/app/kanimo" "$@"
