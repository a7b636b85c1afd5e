#!/usr/bin/env bash
# The Windows side of the build, checked on Linux: every Windows source of platform/ must compile
# (syntax and warnings; the libraries are not built for Windows here) with Debian's MinGW-w64
# cross compiler, and no folder but platform/ may hold operating-system-specific code.
set -euo pipefail
cd "$(dirname "$0")/.."

# The posix thread model: the Windows build's standard library has std::mutex, as MSVC's has.
cxx="${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}"
if ! command -v "$cxx" > /dev/null; then
  echo "check-windows: $cxx is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

status=0
for source in platform/*.cpp; do
  case "$source" in *_linux.cpp) continue ;; esac
  if ! "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I. "$source"; then
    echo "check-windows: $source does not compile for Windows" >&2
    status=1
  fi
done

folders=(core tx net wallet funding book trade devnet pursa cli demo ui bench)
if grep -rnE '_WIN32|<unistd\.h>|<windows\.h>|<sys/|\bfork\(|\bfcntl\(' --include='*.cpp' --include='*.h' "${folders[@]}"; then
  echo "check-windows: the lines above belong in platform/" >&2
  status=1
fi

[ "$status" = 0 ] && echo "check-windows: platform/ compiles for Windows; no OS-specific code elsewhere"
exit "$status"
