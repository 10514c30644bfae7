#!/bin/bash
# One-time machine set-up for building Quellrin and running it under Wine.
# Idempotent: every step checks first and does nothing when its result is there.
# Needs root on a Debian 12 machine; uses Debian's packages only.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SRCPKG_DIR="$ROOT/build/srcpkg"

PACKAGES=(cmake ninja-build g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  wine wine32:i386 xvfb fonts-wqy-microhei fonts-wine locales dpkg-dev
  imagemagick x11-utils googletest)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p out=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  echo "${out[@]:-}"
}

# A deb-src entry made from the machine's own apt source, so apt-get source
# works without naming any host here.
ensure_deb_src() {
  local dst=/etc/apt/sources.list.d/quellrin-deb-src.sources
  [ -f "$dst" ] && return 1
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$dst" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/quellrin-deb-src.list >/dev/null
    as_root touch "$dst"
  fi
  return 0
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
ensure_deb_src && need_update=1
missing="$(missing_packages)"
if [ -n "$missing" ]; then need_update=1; fi
if [ "$need_update" = 1 ]; then
  as_root apt-get update -qq
fi
if [ -n "$missing" ]; then
  echo "setup: installing $missing"
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

# Wine decodes Unix file names through the glibc locale: it must really exist.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating zh_CN.UTF-8"
  as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# The libjpeg source package, for the MinGW build of the decoder.
if ! ls "$SRCPKG_DIR"/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
  mkdir -p "$SRCPKG_DIR"
  (cd "$SRCPKG_DIR" && apt-get source --download-only -qq libjpeg-turbo >/dev/null)
fi
exit 0
