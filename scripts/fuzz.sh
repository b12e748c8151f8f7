#!/usr/bin/env bash
# `make fuzz`: builds the libFuzzer harnesses (tests/fuzz) with clang under ASan
# and UBSan in $B/fuzz, runs each in turn, and prints per harness its
# executions, coverage and findings.
#   QD_FUZZ_SECONDS  seconds per harness (default 60, or no limit with QD_FUZZ_RUNS)
#   QD_FUZZ_RUNS     executions per harness, counting the corpus it starts from
#                    (default: no limit, only the time)
#   QD_FUZZ_ONLY     harness names to run, separated by blanks (default: all)
#   QD_FUZZ_MAX_LEN  the longest input libFuzzer makes, for every harness
#                    (default: the harness's own below, else libFuzzer's 4096)
# The corpus each harness grows is kept in $B/fuzz/corpus/<harness>, on top of
# the committed seeds in tests/fuzz/corpus/<harness>; a crashing input is
# saved in $B/fuzz/findings/<harness>/. Exits non-zero when anything was found.
# Then, when llvm-cov-14 is installed, the corpora are replayed through a
# coverage build ($B/fuzz-cov) and the lines and branches of each source file
# they reach are printed.
set -euo pipefail
B=$1
src=$(cd "$(dirname "$0")/.." && pwd)
runs=${QD_FUZZ_RUNS:-}
seconds=${QD_FUZZ_SECONDS:-$([ -n "$runs" ] && echo 0 || echo 60)}
out=$B/fuzz

cmake -S "$src/tests/fuzz" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build "$out"
harnesses=${QD_FUZZ_ONLY:-$(cat "$out/harnesses.txt")}

# The longest input worth making, from the harness's input format: past it
# the inputs only repeat the same cases more slowly, every byte going through
# several passes under ASan. The other harnesses keep libFuzzer's 4096.
max_len_of() {
  case $1 in
    # 37 bytes of numbers, then one text for every parser: longer than any
    # value they read, and none of them has a length limit.
    registry_text) echo 512 ;;
    # 2 bytes, then 256 scalar values of 4 bytes: more than the cut byte
    # takes and more UTF-16 units than the capacity byte.
    text) echo 1026 ;;
    # Both names past their limits (120 and 160) even in 4-byte characters,
    # 1,135 bytes with the flags, and about 400 for the other fields.
    report_link) echo 1536 ;;
    # A 17th adapter and a 33rd display, the first of each that is ignored
    # (668 bytes at their shortest), with room for names and modes.
    selection) echo 1024 ;;
  esac
}
# A freed block stays poisoned until 16 MiB more have been freed (ASan's
# default 256 MiB costs page faults and cache misses on every run, and an
# input's own blocks are still held long after it has finished).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}

# "last new": the execution that last found new coverage, a sign of a plateau
# when it is far below the total.
printf '%-14s %12s %8s %6s %6s %12s %9s\n' harness executions exec/s cov ft 'last new' findings
failed=0
for h in $harnesses; do
  mkdir -p "$out/corpus/$h" "$out/findings/$h"
  log=$out/$h.log
  # One harness at a time, niced: the machine is shared.
  status=0
  max_len=${QD_FUZZ_MAX_LEN:-$(max_len_of "$h")}
  nice -n 10 "$out/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    ${runs:+-runs=$runs} ${max_len:+-max_len=$max_len} -artifact_prefix="$out/findings/$h/" "$out/corpus/$h" "$src/tests/fuzz/corpus/$h" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  last=$(sed -n 's/^#\([0-9]*\)[[:space:]]*NEW .*/\1/p' "$log" | tail -1)
  findings=$(find "$out/findings/$h" -type f | wc -l)
  printf '%-14s %12s %8s %6s %6s %12s %9s\n' "$h" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "${last:-0}" "$findings"
  if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
    failed=1
    grep -E 'invariant broken|runtime error|ERROR: ' "$log" | head -3 | sed 's/^/    /'
    echo "    log: $log"
  fi
done

if command -v llvm-cov-14 >/dev/null && command -v llvm-profdata-14 >/dev/null; then
  cov=$B/fuzz-cov
  cmake -S "$src/tests/fuzz" -B "$cov" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DQD_FUZZ_COVERAGE=ON >/dev/null
  cmake --build "$cov" >/dev/null
  rm -f "$cov"/*.profraw
  objects=()
  for h in $harnesses; do
    LLVM_PROFILE_FILE="$cov/$h.profraw" "$cov/$h" "$out/corpus/$h" "$src/tests/fuzz/corpus/$h" >/dev/null 2>&1 || true
    objects+=("$cov/$h")
  done
  llvm-profdata-14 merge -o "$cov/corpora.profdata" "$cov"/*.profraw
  echo
  echo "Source coverage of the corpora"
  printf '%-22s %7s %7s %8s %9s %9s %8s\n' file lines missed cover branches missed cover
  others=()
  for o in "${objects[@]:1}"; do others+=(-object "$o"); done
  llvm-cov-14 report -instr-profile="$cov/corpora.profdata" "${objects[0]}" "${others[@]}" \
      -ignore-filename-regex='(tests/|^/usr/)' 2>/dev/null |
    awk 'NF == 13 && $1 != "Filename" { printf "%-22s %7s %7s %8s %9s %9s %8s\n", $1, $8, $9, $10, $11, $12, $13 }'
else
  echo "Source coverage skipped: llvm-cov-14 is not installed (Debian package llvm-14)."
fi
exit $failed
