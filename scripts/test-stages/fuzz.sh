#!/usr/bin/env bash
# A short run of each fuzzer (60 s, all at once) on every build: any
# crash, leak, timeout or out-of-memory fails the stage. The seed is fixed
# so that every build retraces the same sequence of inputs (as far as its
# 60 s reach): a new finding points at the change, not at chance. Longer
# runs with fresh seeds are scripts/fuzz.sh's job.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$(date +%s)
PLOMET_FUZZ_SEED=${PLOMET_FUZZ_SEED:-20261207} scripts/fuzz.sh "${PLOMET_FUZZ_SECONDS:-60}"
echo "fuzz stage: $(( $(date +%s) - start )) s"
