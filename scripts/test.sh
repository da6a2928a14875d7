#!/usr/bin/env bash
# Builds Quillbook twice, plainly and with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test in both builds, headless. Before that, where clang++ is installed,
# fuzzes the record reader for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# A memory error or undefined behaviour ends the test with a failure.
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0

# Any crash, leak, undefined behaviour or record that a save would not write back as it
# was read fails the run. The corpus the fuzzer grows stays in the build directory; the
# seeds in the source tree are only read. First, so that the tests' summary closes the output.
if command -v clang++ >/dev/null; then
    echo "== build-fuzz"
    cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLBOOK_FUZZ=ON >/dev/null
    cmake --build build-fuzz --target fuzz_recordxml --parallel "$jobs"
    mkdir -p build-fuzz/corpus
    if ! build-fuzz/tests/fuzz/fuzz_recordxml build-fuzz/corpus tests/fuzz/corpus -dict=tests/fuzz/record.dict \
        -max_total_time=60 -rss_limit_mb=2048 -timeout=10 -artifact_prefix=build-fuzz/ >build-fuzz/fuzz.log 2>&1; then
        tail -n 80 build-fuzz/fuzz.log
        echo "The record reader failed under the fuzzer; the input is in build-fuzz/ (crash-*, leak-*, timeout-*)"
        exit 1
    fi
    grep '^Done ' build-fuzz/fuzz.log
fi

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
