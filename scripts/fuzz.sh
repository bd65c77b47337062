#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the sanitizers (build/fuzz) and runs each
# one for a fixed number of inputs, starting from its corpus in tests/fuzz/corpus. Any crash,
# sanitizer report, leak, time-out (10 s an input) or memory blow-up (2 GB) fails the run and
# leaves the input that did it in build/fuzz/findings/. New inputs the fuzzer finds go to a
# scratch folder, never into the repository.
#
#   scripts/fuzz.sh                  # 20,000 inputs per target, as the test suite runs it
#   scripts/fuzz.sh 2000000          # longer
#   scripts/fuzz.sh 2000000 load     # one target: load or options
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-20000}"
only="${2:-}"
build="$root/build/fuzz"

CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKANIMO_SANITIZE=ON -DKANIMO_FUZZ=ON >/dev/null
cmake --build "$build" --target load_fuzzer options_fuzzer

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
findings="$build/findings"
mkdir -p "$findings"
for target in load options; do
  [ -n "$only" ] && [ "$only" != "$target" ] && continue
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  echo "== fuzzing the $target target: $runs inputs"
  start=$SECONDS
  if ! "$build/tests/fuzz/${target}_fuzzer" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" \
      "$scratch" "$root/tests/fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
    tail -n 60 "$build/$target.log"
    echo "the $target fuzz target found a fault; the input is in $findings" >&2
    exit 1
  fi
  echo "$(grep -m1 -o 'Done [0-9]* runs' "$build/$target.log"), $((SECONDS - start)) s"
  rm -rf "$scratch"
done
