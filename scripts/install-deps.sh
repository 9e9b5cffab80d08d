#!/usr/bin/env bash
# Installs the Debian packages that the build, the game and the tests need,
# asking apt only for those that are missing. Usage: install-deps.sh [run|test]
set -euo pipefail

build=(cmake g++ make pkg-config
       libgl-dev libgl1-mesa-dev libgl1-mesa-dri
       libx11-dev libxrandr-dev libxi-dev libxext-dev
       libfontconfig-dev libfreetype-dev fonts-dejavu-core)
run=(xvfb x11-utils)
test=(googletest libgtest-dev libgmock-dev libbenchmark-dev
      libxtst-dev xvfb xdotool openbox twm evilwm i3-wm x11-utils imagemagick
      g++-mingw-w64-x86-64-posix wine64
      clang libclang-rt-14-dev)

want=("${build[@]}")
case "${1:-test}" in
  run) want+=("${run[@]}") ;;
  test) want+=("${test[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for pkg in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
