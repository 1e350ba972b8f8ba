#!/usr/bin/env bash
# Builds the libFuzzer flavour and runs every fuzz_* target for a bounded time on a scratch copy
# of its seed corpus (fuzz/corpus/<target>/). Fails when any target finds a crash, a leak or a hang.
# ARENA_FUZZ_SECONDS sets the time per target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${ARENA_FUZZ_SECONDS:-30}

bash scripts/build.sh fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One target per core at a time: each runs for its own time, so together they take a fraction.
jobs=$(nproc 2>/dev/null || echo 2)
names=()
pids=()
for bin in build/fuzz/fuzz/fuzz_*; do
  [ -x "$bin" ] && [ -f "$bin" ] || continue
  name=$(basename "$bin")
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  if [ -d "fuzz/corpus/$name" ]; then
    cp -r "fuzz/corpus/$name/." "$work/$name/corpus/"
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 0.5; done
  echo "fuzz.sh: $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/$name/artifacts/" "$work/$name/corpus" >"$work/$name/log" 2>&1 &
  names+=("$name")
  pids+=($!)
done

if [ "${#names[@]}" -eq 0 ]; then
  echo "fuzz.sh: no fuzz targets were built" >&2
  exit 1
fi
failed=()
for i in "${!names[@]}"; do
  name=${names[$i]}
  if wait "${pids[$i]}"; then
    echo "fuzz.sh: $name: $(grep -E '^stat::number_of_executed_units' "$work/$name/log" || echo 'no statistics')"
  else
    echo "fuzz.sh: $name FAILED; last lines of its log:" >&2
    tail -n 60 "$work/$name/log" >&2
    mkdir -p build/fuzz/artifacts
    cp -r "$work/$name/artifacts/." build/fuzz/artifacts/ 2>/dev/null || true
    echo "fuzz.sh: reproducers copied to build/fuzz/artifacts/" >&2
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz.sh: failing targets: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz.sh: ${#names[@]} targets ran clean"
