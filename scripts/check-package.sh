#!/bin/sh
# Builds the Debian package and checks it: lintian reports no errors, the
# desktop entry and the AppStream metainfo validate, and the package unpacked
# into a temporary root gives a konvelo-cli that answers --help and a konvelo
# that runs its demo in a temporary folder and ends on SIGTERM. The user's
# guide and History.html are installed, with every picture they show, and the
# manual pages point to them.
set -e
cd "$(dirname "$0")/.."
DEB=$(./scripts/package.sh)
echo "package: $DEB ($(du -k "$DEB" | cut -f1) KiB)"
dpkg-deb --contents "$DEB" | awk '{print $1, $3, $6}'

# Lintian may not run as root without a notice; its errors fail the check.
lintian --fail-on error --tag-display-limit 0 "$DEB"

ROOT=$(mktemp -d /tmp/konvelo-pkg.XXXXXX)
KONVELO_PID=""
cleanup() {
  [ -n "$KONVELO_PID" ] && kill -KILL "$KONVELO_PID" 2>/dev/null
  rm -rf "$ROOT"
}
trap cleanup EXIT
dpkg -x "$DEB" "$ROOT/pkg"
desktop-file-validate "$ROOT/pkg/usr/share/applications/konvelo.desktop"
appstreamcli validate --no-net "$ROOT/pkg/usr/share/metainfo/org.konvelo.Konvelo.metainfo.xml"

GUIDE="$ROOT/pkg/usr/share/doc/konvelo/html"
for page in index.html History.html first-start.html konvelo.css; do
  test -s "$GUIDE/$page" || { echo "check-package: the guide's $page is not installed" >&2; exit 1; }
done
for img in $(grep -oh 'src="images/[^"]*"' "$GUIDE"/*.html | sed 's/^src="//; s/"$//' | sort -u); do
  test -s "$GUIDE/$img" || { echo "check-package: the guide shows $img, which is not installed" >&2; exit 1; }
done
for exe in konvelo konvelo-cli konvelo-phonesim; do
  gzip -dc "$ROOT/pkg/usr/share/man/man1/$exe.1.gz" | grep -q "share/doc/konvelo/html" || {
    echo "check-package: man $exe does not name the guide" >&2; exit 1; }
done
echo "guide: $(ls "$GUIDE"/*.html | wc -l) pages, $(ls "$GUIDE"/images | wc -l) pictures"

export HOME="$ROOT/home" XDG_DATA_HOME="$ROOT/home/.local/share" XDG_CONFIG_HOME="$ROOT/home/.config"
unset KONVELO_HOME
mkdir -p "$HOME"
"$ROOT/pkg/usr/bin/konvelo-cli" --help >/dev/null
# An installed program keeps its data in the per-user folder, with the shipped ring.
"$ROOT/pkg/usr/bin/konvelo-cli" paths | grep -q "\"home\":\"$XDG_DATA_HOME/Konvelo\""
test -s "$XDG_DATA_HOME/Konvelo/Sounds/Bells/Din.wav"

# The demo: up when it names its phone, then a few seconds of running.
QT_QPA_PLATFORM=offscreen "$ROOT/pkg/usr/bin/konvelo" --demo --home "$ROOT/demo" 2>"$ROOT/konvelo.log" &
KONVELO_PID=$!
i=0
until grep -q "demo phone on" "$ROOT/konvelo.log"; do
  i=$((i+1))
  if [ $i -gt 300 ] || ! kill -0 "$KONVELO_PID" 2>/dev/null; then
    cat "$ROOT/konvelo.log" >&2
    echo "check-package: the packaged konvelo did not start its demo" >&2
    exit 1
  fi
  sleep 0.1
done
sleep 3
kill -0 "$KONVELO_PID" || { cat "$ROOT/konvelo.log" >&2; echo "check-package: konvelo ended early" >&2; exit 1; }
kill -TERM "$KONVELO_PID"
i=0
while kill -0 "$KONVELO_PID" 2>/dev/null; do
  i=$((i+1))
  if [ $i -gt 300 ]; then
    echo "check-package: konvelo did not end within 30 s of SIGTERM" >&2
    exit 1
  fi
  sleep 0.1
done
status=0
wait "$KONVELO_PID" || status=$?
KONVELO_PID=""
if [ $status -ne 0 ]; then
  cat "$ROOT/konvelo.log" >&2
  echo "check-package: konvelo ended with status $status on SIGTERM" >&2
  exit 1
fi
test -f "$ROOT/demo/Konvelo.ini"
echo "check-package: all checks passed"
