#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs the whole test suite:
# unit, whole-game and real-window tests (CTest, each display its own), the package checks and
# the fuzz targets.
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

# The package checks and the fuzz run count as one more check each in the closing line.
extra_status=0
for step in package-test fuzz; do
  if bash "scripts/$step.sh"; then passed=$((passed + 1)); else failed=$((failed + 1)); extra_status=1; fi
done

echo "$passed passed, $failed failed"
[ "$status" -eq 0 ] && [ "$extra_status" -eq 0 ]
