#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs the whole test suite:
# unit and whole-game tests (CTest), real-window tests under Xvfb, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh asan

. scripts/test-env.sh

log=$(mktemp)
status=0
ctest --test-dir build/asan "${ctest_args[@]}" 2>&1 | tee "$log" || status=$?
summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
rm -f "$log"
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
failed=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
[ -n "$summary" ] || { total=0; failed=0; status=1; }
passed=$((total - failed))

# The fuzz run counts as one more check in the closing line.
fuzz_status=0
bash scripts/fuzz.sh || fuzz_status=$?
if [ "$fuzz_status" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "$passed passed, $failed failed"
[ "$status" -eq 0 ] && [ "$fuzz_status" -eq 0 ]
