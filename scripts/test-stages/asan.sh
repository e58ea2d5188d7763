#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the `asan` preset). Expects what
# scripts/test.sh provides: DISPLAY (Xvfb), CUPS, XDG_RUNTIME_DIR.
set -euo pipefail
cd "$(dirname "$0")/../.."

# Leaks in fontconfig's per-face caches are not ours; any other leak, any
# invalid access and any undefined behaviour fails the test that hit it.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
# strict_string_checks is left off: libxkbcommon-x11 reads past the end of
# strings it strndup()s, harmlessly, and the X platform plugin would abort.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

start=$(date +%s)
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$(nproc)"
ctest --preset asan -j "$(nproc)"
echo "asan stage: $(( $(date +%s) - start )) s"
