# The retained records' libFuzzer targets, built with clang under
# AddressSanitizer + UndefinedBehaviorSanitizer and run for a bounded time each
# with a fixed seed. A target aborts when a property it checks is violated.
quon_fuzz_targets=(retained_records_image_validation_fuzz retained_records_fragment_validation_fuzz
                   retained_records_signatures_fuzz)

fuzz_build() {
  CC=clang CXX=clang++ configure_build build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DQUON_ONLY=runtime;retained/records" -DQUON_FUZZ=ON -DQUON_SANITIZE=address,undefined \
    -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCHMARKS=OFF &&
    build build/fuzz "${quon_fuzz_targets[@]}"
}

# run_fuzz TARGET: 20 s from an empty corpus; on failure prints the log's tail
# and leaves the input that failed in build/fuzz/.
run_fuzz() {
  local target=$1 corpus log status=0
  corpus=$(mktemp -d)
  log=$(mktemp)
  "$QUON_ROOT/build/fuzz/retained/records/$target" -max_total_time=20 -seed=1 -rss_limit_mb=2048 \
    -artifact_prefix="$QUON_ROOT/build/fuzz/" \
    "$corpus" > "$log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { echo "$target exited with $status:"; tail -n 30 "$log"; }
  rm -rf "$corpus" "$log"
  return $status
}

if check "fuzz targets build with clang" fuzz_build; then
  for target in "${quon_fuzz_targets[@]}"; do
    check "$target runs 20 s clean" run_fuzz "$target"
  done
fi
