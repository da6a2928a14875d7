#!/usr/bin/env bash
# Builds Quillbook twice, plainly and with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test in both builds, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# A memory error or undefined behaviour ends the test with a failure.
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0

for variant in build build-sanitize; do
    if [ "$variant" = build ]; then
        options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    else
        options=(-DCMAKE_BUILD_TYPE=Debug -DQUILLBOOK_SANITIZE=ON)
    fi
    echo "== $variant"
    cmake -S . -B "$variant" "${options[@]}" >/dev/null
    cmake --build "$variant" --parallel "$jobs"
    ctest --test-dir "$variant" --output-on-failure --parallel "$jobs"
done
