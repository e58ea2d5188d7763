#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset, clang) and runs each of
# them for SECONDS, all at once (one process each).
#   scripts/fuzz.sh SECONDS          working corpus under build/fuzz/corpus
#   scripts/fuzz.sh SECONDS --keep   and afterwards merge every input that
#                                    found new coverage into fuzz/corpus/
# PLOMET_FUZZ_SEED fixes libFuzzer's random seed (the CI stage does, so a
# run there retraces the same inputs); unset, every run explores afresh.
# Exits non-zero when a fuzzer finds a crash, a leak, a timeout or an
# out-of-memory; the input is left in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-}
keep=0
[ "${2:-}" = "--keep" ] && keep=1
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh SECONDS [--keep]" >&2
  exit 2
fi

# The fuzzers (fuzz/fuzz_NAME.cpp), each with its own options: a new one is
# a row here and a line in fuzz/CMakeLists.txt.
fuzzers=(pmf draw stamp table serve sign extract seal_image)
declare -A extra=(
  [pmf]="-dict=fuzz/pmf.dict -max_len=8192"
  [draw]="-max_len=512 -timeout=60"
  [stamp]="-dict=fuzz/pdf.dict -max_len=16384"
  [table]="-max_len=4096"
  [serve]="-dict=fuzz/serve.dict -max_len=4096"
  [sign]="-dict=fuzz/pdf.dict -max_len=65536"
  [extract]="-max_len=65536"
  [seal_image]="-max_len=16384"
)

jobs=$(nproc)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target "${fuzzers[@]/#/fuzz_}"

out=build/fuzz
mkdir -p "$out/artifacts" "$out/logs"
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/plomet-xdg.XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
fi
export XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"

seed=()
if [ -n "${PLOMET_FUZZ_SEED:-}" ]; then
  [[ "$PLOMET_FUZZ_SEED" =~ ^[0-9]+$ ]] || { echo "PLOMET_FUZZ_SEED wants a number" >&2; exit 2; }
  seed=(-seed="$PLOMET_FUZZ_SEED")
fi

pids=()
for name in "${fuzzers[@]}"; do
  mkdir -p "$out/corpus/$name"
  # shellcheck disable=SC2086
  "$out/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -print_final_stats=1 "${seed[@]}" -artifact_prefix="$out/artifacts/$name-" ${extra[$name]} \
    "$out/corpus/$name" "fuzz/corpus/$name" >"$out/logs/$name.log" 2>&1 &
  pids+=($!)
done

status=0
i=0
for name in "${fuzzers[@]}"; do
  if wait "${pids[$i]}"; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/logs/$name.log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz_$name: $runs executions in ${seconds} s, no finding"
  else
    status=1
    echo "fuzz_$name: FINDING (see $out/logs/$name.log and $out/artifacts/)" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$out/logs/$name.log" | head -5 >&2 || true
  fi
  i=$((i + 1))
done

if [ "$keep" = 1 ] && [ "$status" = 0 ]; then
  for name in "${fuzzers[@]}"; do
    before=$(ls "fuzz/corpus/$name" | wc -l)
    "$out/fuzz/fuzz_$name" -merge=1 ${extra[$name]} "fuzz/corpus/$name" "$out/corpus/$name" \
      >"$out/logs/$name-merge.log" 2>&1
    after=$(ls "fuzz/corpus/$name" | wc -l)
    echo "fuzz_$name: corpus kept in fuzz/corpus/$name: $before -> $after inputs"
  done
fi
exit "$status"
