#!/usr/bin/env bash
# Builds the tests with a sanitizer and runs them; any report, also from a program a test starts,
# fails the run. Usage: tests/sanitizers/run.sh address|thread [build folder]
#   address: AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer over the whole suite
#            (default folder build/asan);
#   thread:  ThreadSanitizer over the tests labelled "threads", but for those whose worker threads
#            start programs (see below; default folder build/tsan).
set -euo pipefail
cd "$(dirname "$0")/../.."
here="$PWD/tests/sanitizers"

mode="${1:-}"
case "$mode" in
address)
    preset=asan
    label_filter=()
    ;;
thread)
    preset=tsan
    # Not the tests whose worker threads start outside programs: Debian's Qt 6.4 starts them with
    # clone(CLONE_VM | CLONE_VFORK), and the child's calls run on the starting thread's
    # ThreadSanitizer state. From then on that thread's locks go unseen: it reports what it handed
    # over before its first program as a race, and nothing after. Those tests run under
    # AddressSanitizer and in the plain suite; an instrumented Qt would bring them back here.
    label_filter=(-L threads -E '^(tst_cli|tst_clipieces|tst_conversionrun|tst_morvaneprogram)$')
    ;;
*)
    echo "usage: $0 address|thread [build folder]" >&2
    exit 2
    ;;
esac
build="$(realpath -m "${2:-build/$preset}")"
reports="$build/sanitizer-reports"

# The preset builds every target with MORVANE_SANITIZE, at -O1 to keep the suite fast enough.
cmake --preset "$preset" -B "$build" >/dev/null
if [ "$mode" = thread ]; then
    # Only what the chosen tests need: each is run by a program of its own name.
    mapfile -t targets < <(ctest --test-dir "$build" -N "${label_filter[@]}" |
        sed -n 's/^ *Test *#[0-9]*: //p')
    cmake --build "$build" --target "${targets[@]}"
else
    cmake --build "$build"
fi

rm -rf "$reports"
mkdir -p "$reports"
common="log_path=$reports/report:print_summary=1"
export ASAN_OPTIONS="$common:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="$common:print_stacktrace=1:halt_on_error=1"
# Qt is not instrumented: its own accesses go unseen, and so are the calls it makes into the C
# library (ignore_noninstrumented_modules). QProcess starts programs from a forked child.
export TSAN_OPTIONS="$common:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:die_after_fork=0:suppressions=$here/tsan.supp"

status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "${label_filter[@]}" || status=$?
if compgen -G "$reports/report*" >/dev/null; then
    echo "Sanitizer reports ($mode):" >&2
    cat "$reports"/report* >&2
    status=1
fi
exit "$status"
