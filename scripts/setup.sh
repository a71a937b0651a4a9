#!/usr/bin/env bash
# Installs what building and testing comp_mgr needs on a Debian machine.
# Skips apt entirely when everything is already there. With --demo, only what
# building and running the native tool needs.
set -euo pipefail
if [ "${1:-}" = "--demo" ]; then
  packages=(cmake ninja-build g++ nlohmann-json3-dev libcli11-dev)
else
  packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format googletest libgtest-dev libgmock-dev
            libbenchmark-dev nlohmann-json3-dev libcli11-dev g++-mingw-w64-x86-64 wine64 python3
            xvfb xdotool imagemagick)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
