#!/usr/bin/env bash
# Installs every Debian package the build, the application and the tests need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  qt6-base-dev qt6-serialport-dev qt6-charts-dev qt6-datavisualization-dev
  libqt6opengl6-dev qt6-declarative-dev libqt6sql6-sqlite qt6-qpa-plugins
  libxlsxwriter-dev libsqlite3-dev pkg-config cmake ninja-build g++ libgtest-dev libbenchmark-dev
  xvfb xauth socat sqlite3 poppler-utils unzip libgl1-mesa-dri xdg-utils locales fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
