#!/usr/bin/env bash
# Runs the CTest suite of an existing sanitizer build N times (default 10), each case once, with a
# busy loop on every core beside it, and prints how often each test failed. Words after N go to
# CTest, e.g. `scripts/soak-tests.sh 50 -R '^script\.stress_test$'` runs one test 50 times.
# The tree is build/asan, or ARENA_BUILD_DIR; each run's output is kept in <tree>/soak/.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
shift || true
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "usage: soak-tests.sh [N] [ctest options...]" >&2; exit 2; }
tree=${ARENA_BUILD_DIR:-build/asan}
[ -f "$tree/CTestTestfile.cmake" ] || { echo "soak-tests: no test tree in $tree (run scripts/build.sh asan)" >&2; exit 2; }
. scripts/test-env.sh

logs="$tree/soak"
rm -rf "$logs"
mkdir -p "$logs"
busy=()
session=""
# Everything CTest starts runs in a session of its own, so that whatever a killed test left behind
# (X servers, window managers, the game) is found by that session and ended.
end_session() {
  [ -n "$session" ] || return 0
  local stat sid pids sig
  for sig in TERM KILL; do
    pids=()
    for stat in /proc/[0-9]*/stat; do
      # After the command's closing parenthesis: state, parent, process group, session.
      sid=$(sed 's/.*) //' "$stat" 2>/dev/null | cut -d' ' -f4) || continue
      [ "$sid" = "$session" ] && { stat=${stat#/proc/}; pids+=("${stat%/stat}"); }
    done
    [ "${#pids[@]}" -eq 0 ] && break
    echo "soak-tests: ending ${#pids[@]} leftover processes with SIG$sig: ${pids[*]}"
    kill -"$sig" "${pids[@]}" 2>/dev/null || true
    sleep 1
  done
  session=""
}
cleanup() {
  end_session
  [ "${#busy[@]}" -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

for _ in $(seq "$(nproc 2>/dev/null || echo 2)"); do
  (while :; do :; done) &
  busy+=($!)
done
echo "soak-tests: $runs runs of ctest ${ctest_args[*]} $* in $tree beside ${#busy[@]} busy loops; load $(cut -d' ' -f1-3 /proc/loadavg)"

# Processor seconds used by the children this shell has waited for (CTest and what it ran): a
# figure that, unlike the time taken, hardly depends on what else the machine is doing.
tick=$(getconf CLK_TCK)
children_cpu() { sed 's/.*) //' /proc/$$/stat | awk -v t="$tick" '{printf "%d", ($14 + $15) / t}'; }

: >"$logs/failures"
for run in $(seq "$runs"); do
  start=$SECONDS
  cpu=$(children_cpu)
  # Started in the background, setsid is no group leader: it becomes the session in place.
  setsid ctest --test-dir "$tree" "${ctest_args[@]}" "$@" >"$logs/run-$run.log" 2>&1 &
  session=$!
  status=0
  wait "$session" || status=$?
  end_session
  # "  12 - script.display_test (Failed)" under "The following tests FAILED:".
  failed=$(sed -n '/^The following tests FAILED:/,$p' "$logs/run-$run.log" | sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \((.*)\)$/\1 (\2)/p')
  [ -n "$failed" ] && echo "$failed" >>"$logs/failures"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$logs/run-$run.log" | tail -n 1 || true)
  echo "run $run: ${summary:-no summary (ctest exited with $status)} in $((SECONDS - start)) s" \
    "($(($(children_cpu) - cpu)) s of processor time); load $(cut -d' ' -f1-3 /proc/loadavg)"
  [ -n "$failed" ] && sed 's/^/    /' <<<"$failed"
done

echo "--- failures per test over $runs runs (logs in $logs)"
if [ -s "$logs/failures" ]; then
  sort "$logs/failures" | uniq -c | sort -rn
  exit 1
fi
echo "none"
