#!/usr/bin/env bash
# Runs one fuzz target: first every kept regression input, then fuzzing for SECONDS from
# the seeds and what earlier runs learnt. A crash leaves its input in WORKDIR/crashes.
#   run_fuzzer.sh TARGET SECONDS WORKDIR SEEDS REGRESSIONS [LIBFUZZER OPTIONS...]
# TILELINK_FUZZ_SECONDS, when set, overrides SECONDS.
set -euo pipefail
target=$1 seconds=${TILELINK_FUZZ_SECONDS:-$2} work=$3 seeds=$4 regressions=$5
shift 5
mkdir -p "$work/corpus" "$work/crashes"
if compgen -G "$regressions/*" >/dev/null; then
  "$target" "$@" "$regressions"/*
fi
exec "$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/crashes/" "$@" "$work/corpus" "$seeds"
