# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# worker pool under ThreadSanitizer.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [ -f "$QUON_ROOT/scripts/lsan.supp" ]; then
  export LSAN_OPTIONS="suppressions=$QUON_ROOT/scripts/lsan.supp:print_suppressions=0"
fi
configure_build build/asan -DCMAKE_BUILD_TYPE=Debug -DQUON_SANITIZE=address,undefined -DQUON_BUILD_BENCHMARKS=OFF
build build/asan
run_ctest build/asan

configure_build build/tsan -DCMAKE_BUILD_TYPE=Debug -DQUON_SANITIZE=thread -DQUON_BUILD_BENCHMARKS=OFF "-DQUON_ONLY=runtime"
build build/tsan runtime_worker_pool_tests
run_ctest build/tsan -R '^worker_pool'
