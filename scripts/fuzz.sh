#!/bin/sh
# Runs every libFuzzer target of build/fuzz for FUZZ_SECONDS seconds (60 by
# default), all at once. New inputs collect in build/fuzz/corpus/<target>;
# the seeds in fuzz/corpus/<target> are only read. A crash, a hang or a
# broken property leaves its input in build/fuzz/crashes/ and fails the run:
# add it to the tests as a table case.
set -u
cd "$(dirname "$0")/.." || exit 1
seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
# The targets and their dictionaries, as fuzz/CMakeLists.txt lists them.
list=$build/fuzz_targets.txt
if [ ! -f "$list" ]; then
  echo "fuzz: no $list; configure the fuzz preset first (cmake --preset fuzz)" >&2
  exit 1
fi
mkdir -p "$build/logs" "$build/crashes"

targets=""
while read -r t dictionary; do
  dict=""
  [ -n "$dictionary" ] && dict="-dict=$build/$dictionary"
  mkdir -p "$build/corpus/$t"
  # shellcheck disable=SC2086
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t-" $dict "$build/corpus/$t" "fuzz/corpus/$t" \
    </dev/null >"$build/logs/$t.log" 2>&1 &
  eval "pid_$t=$!"
  targets="$targets $t"
done <"$list"

failed=0
for t in $targets; do
  eval "pid=\$pid_$t"
  # shellcheck disable=SC2154 # set by the eval above
  if wait "$pid"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log")
    echo "fuzz $t: ok, ${runs:-?} runs in ${seconds}s"
  else
    failed=$((failed + 1))
    echo "fuzz $t: FAILED (log: $build/logs/$t.log)"
    grep -E "ERROR|property broken|SUMMARY|Test unit written" "$build/logs/$t.log" | head -20
  fi
done
[ "$failed" -eq 0 ]
