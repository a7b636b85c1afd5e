#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and run.
# Idempotent: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git ca-certificates ccache
  libcurl4-openssl-dev libssl-dev libsecp256k1-dev nlohmann-json3-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-image-formats-plugins libgl-dev
  libcpp-httplib-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  clang-14 clang-tidy-14 libclang-rt-14-dev llvm-14
  g++-mingw-w64-x86-64
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
