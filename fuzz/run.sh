#!/usr/bin/env bash
# run.sh FUZZER [LIBFUZZER OPTIONS...]: runs one fuzz target from its seed
# corpus (fuzz/corpus/NAME, never written to), new inputs going to a scratch
# folder, and prints its executions and findings. Fails on a finding.
set -euo pipefail
fuzzer=$1
shift
name=$(basename "$fuzzer")
name=${name#fuzz_}
seeds=$(dirname "$0")/corpus/$name
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$seeds"
status=0
"$fuzzer" "$work/corpus" "$seeds" -artifact_prefix="$work/" -print_final_stats=1 \
  "$@" >"$work/log" 2>&1 || status=$?
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log" | grep -o '[0-9]*$' || echo 0)
findings=$(find "$work" -maxdepth 1 -name 'crash-*' -o -maxdepth 1 -name 'leak-*' \
           -o -maxdepth 1 -name 'timeout-*' -o -maxdepth 1 -name 'oom-*' | wc -l)
echo "$name: $runs executions, $findings findings"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  tail -n 40 "$work/log"
  for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$artifact" ] && { echo "input (hex):"; od -An -tx1 "$artifact" | head; }
  done
  exit 1
fi
