#!/bin/sh
# Installs what is missing, then builds and runs the whole test suite three
# times: a plain build, one with AddressSanitizer and UndefinedBehaviorSanitizer,
# and one with ThreadSanitizer. Then builds the libFuzzer targets with clang
# and runs each for a short while. Warnings are errors in every build.
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

# Each fuzz target starts from its seeds in fuzz/corpus/<target>/ (read, never
# written) and runs for MF_FUZZ_SECONDS, with the words of fuzz/<target>.dict
# where there is one; a crash, a leak or a failed check fails the run and
# leaves the input that caused it in the build folder. Each target's number
# of runs and its final coverage are printed.
run_fuzz() {
    build="$root/build-test-fuzz"
    echo "== fuzz build"
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMF_WERROR=ON -DMF_BUILD_FUZZ=ON -DMF_BUILD_TESTS=OFF -DMF_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$jobs"
    for source in "$root"/fuzz/*Fuzz.cpp; do
        name=$(basename "$source" .cpp)
        found="$build/fuzz-found/$name"
        rm -rf "$found"
        mkdir -p "$found" "$root/fuzz/corpus/$name"
        echo "-- $name"
        log="$build/fuzz-found/$name.log"
        # The dictionary, if any, is passed as the only positional argument,
        # so that a root folder with blanks in its name stays one word.
        set --
        if [ -f "$root/fuzz/$name.dict" ]; then
            set -- "-dict=$root/fuzz/$name.dict"
        fi
        if ! (cd "$build/fuzz-found" && "$build/fuzz/$name" -max_total_time="${MF_FUZZ_SECONDS:-20}" \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@" \
            "$found" "$root/fuzz/corpus/$name" >"$log" 2>&1); then
            tail -n 60 "$log"
            echo "Fuzz target $name failed; its input is in $build/fuzz-found." >&2
            exit 1
        fi
        grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
        grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE '(cov|ft|corp): [0-9/a-zA-Z]+' |
            tr '\n' ' ' || true
        echo
    done
}

run_suite plain ""
run_suite asan address
run_suite tsan thread
run_fuzz
echo "All three builds and the fuzz targets passed."
