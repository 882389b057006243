#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12 (run as root
# or with sudo), then the simulated LFS host's npm packages.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libasio-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xdotool clang libclang-rt-14-dev
  chromium fonts-dejavu-core clang-format)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ -f tools/fake-lfs/package-lock.json ]; then
  npm ci --prefix tools/fake-lfs --no-audit --no-fund --loglevel=error
fi
