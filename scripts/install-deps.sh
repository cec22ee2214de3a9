#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Dayloom need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qt6-networkauth-dev qt6-httpserver-dev qt6-websockets-dev qt6-l10n-tools
  qt6-svg-dev
  qml6-module-qtquick qml6-module-qtqml qml6-module-qtquick-controls
  qml6-module-qtquick-layouts qml6-module-qtquick-templates qml6-module-qtquick-window
  qml6-module-qtquick-dialogs qml6-module-qtquick-shapes qml6-module-qtqml-workerscript
  qml6-module-qt-labs-folderlistmodel
  qml6-module-qtqml-models qml6-module-qttest qml6-module-qtquick-tooling
  qcoro-qt6-dev qtkeychain-qt6-dev libsqlite3-dev rapidjson-dev libical-dev
  libbenchmark-dev libgl-dev
  dbus dbus-x11 python3-dbusmock gnome-keyring
  xvfb xauth tzdata locales fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
