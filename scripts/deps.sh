#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and a headless run need,
# and only those that are missing.
set -euo pipefail
PKGS=(build-essential cmake ninja-build qt6-base-dev libsqlite3-dev xvfb xauth
      x11-apps imagemagick fonts-dejavu-core xdg-utils poppler-utils
      libwmf-bin fonts-urw-base35 qt6-multimedia-dev zip unzip python3 pkg-config
      libglib2.0-dev fonts-liberation openbox exfat-fuse exfatprogs e2fsprogs
      btrfs-progs fuse3 libfuse3-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
