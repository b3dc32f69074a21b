#!/bin/sh
# Runs every libFuzzer target of build/fuzz for FUZZ_SECONDS seconds (60 by
# default), all at once. New inputs collect in build/fuzz/corpus/<target>;
# the seeds in fuzz/corpus/<target> are only read. A crash, a hang or a
# broken property leaves its input in build/fuzz/crashes/ and fails the run:
# add it to the tests as a table case.
set -u
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
targets="run_loop transport text_sync lexer parser keyword_texts url document_store"
mkdir -p "$build/logs" "$build/crashes"

for t in $targets; do
  case $t in
    run_loop | transport | text_sync) dict="-dict=$build/lsp.dict" ;;
    lexer | parser) dict="-dict=$build/qosa.dict" ;;
    *) dict="" ;;
  esac
  mkdir -p "$build/corpus/$t"
  # shellcheck disable=SC2086
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t-" $dict "$build/corpus/$t" "fuzz/corpus/$t" \
    >"$build/logs/$t.log" 2>&1 &
  eval "pid_$t=$!"
done

failed=0
for t in $targets; do
  eval "pid=\$pid_$t"
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
