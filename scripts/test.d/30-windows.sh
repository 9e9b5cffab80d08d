# The Windows x64 build, cross-compiled with mingw-w64, run under Wine.
configure_build build/windows -DCMAKE_TOOLCHAIN_FILE="$QUON_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCHMARKS=OFF
build build/windows
setup_wine "$(mktemp -d /tmp/quon-wine.XXXXXX)"

# The self-test prints "tamsel: pass" in text mode: CRLF on Windows.
windows_selftest() {
  local out err status=0
  out=$(mktemp); err=$(mktemp)
  QUON_EXAMPLE_TEST=1 "$quon_wine" "$QUON_ROOT/build/windows/example/kelvaro.exe" > "$out" 2> "$err" || status=$?
  printf 'tamsel: pass\r\n' | cmp -s - "$out" && [ "$status" -eq 0 ] && [ ! -s "$err" ]
  status=$?
  [ "$status" -eq 0 ] || { echo "status $status, stdout:"; od -c "$out" | head; echo "stderr:"; head "$err"; }
  rm -f "$out" "$err"
  return $status
}
check "windows self-test under wine prints 'tamsel: pass'" windows_selftest
