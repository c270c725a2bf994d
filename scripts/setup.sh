#!/bin/sh
# Installs every Debian package that Konvelo's build, tests and program need.
# Idempotent: packages already present are skipped.
set -e
PKGS="build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-serialport-dev qt6-multimedia-dev
qt6-svg-dev libqt6svg6 qt6-l10n-tools qt6-charts-dev libqt6opengl6-dev
libgsm1-dev libsndfile1-dev libpulse-dev libsqlite3-dev sqlite3 libpq-dev postgresql
libgtest-dev libgmock-dev googletest libbenchmark-dev
pulseaudio pulseaudio-utils xvfb xauth dbus-daemon
gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
fonts-dejavu-core
lintian desktop-file-utils appstream help2man librsvg2-bin dpkg-dev fakeroot file pandoc"
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing
