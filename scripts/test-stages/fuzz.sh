#!/usr/bin/env bash
# A short run of each fuzzer (60 s, both at once) on every build: any
# crash, leak, timeout or out-of-memory fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$(date +%s)
scripts/fuzz.sh "${PLOMET_FUZZ_SECONDS:-60}"
echo "fuzz stage: $(( $(date +%s) - start )) s"
