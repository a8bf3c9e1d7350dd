#!/bin/sh
# Installs what is missing, then builds and runs the whole test suite three
# times: a plain build, one with AddressSanitizer and UndefinedBehaviorSanitizer,
# and one with ThreadSanitizer. Warnings are errors in every build.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

run_suite() {
    name=$1
    sanitize=$2
    build="$root/build-test-$name"
    echo "== $name build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMF_WERROR=ON \
        -DMF_SANITIZE="$sanitize" -DMF_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$jobs"
    (cd "$build" && ctest --output-on-failure -j "$jobs")
    if [ "$sanitize" = thread ]; then
        # Once more in another order: a race that one order hides may show
        # in the next.
        echo "== $name build, tests shuffled"
        (cd "$build" && GTEST_SHUFFLE=1 GTEST_RANDOM_SEED=0 ctest --output-on-failure -j "$jobs" -L unit)
    fi
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:suppressions=$root/tests/sanitizers/asan.supp"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/sanitizers/tsan.supp"

run_suite plain ""
run_suite asan address
run_suite tsan thread
echo "All three builds passed."
