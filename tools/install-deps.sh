#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quiet and quick when all are present.
set -euo pipefail
pkgs=(g++ clang cmake ninja-build ccache libgtest-dev libgmock-dev pkg-config python3 libssl-dev
  libcurl4-openssl-dev libpng-dev libjpeg-dev libgif-dev libtiff-dev)
# The clipboard's tests only: a display of their own (Xvfb) and the clipboard programs.
pkgs+=(xvfb xclip xsel)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq >&2 || true
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
