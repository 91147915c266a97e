#!/usr/bin/env bash
# Builds the Debian package from a Release build and checks it as a
# distribution would: lintian, the desktop entry, the AppStream metadata, the
# file list, and the program unpacked from the package (never installed here)
# starting on its own, finding its help file and template, and ending.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKELVATRON_BUILD_TESTS=OFF -DKELVATRON_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target package -j "$(nproc)"
deb=$(ls -t "$build"/kelvatron_*.deb | head -n 1)
echo "package: $deb ($(stat -c %s "$deb") bytes)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "package: FAILED: $*" >&2; failed=1; }

# lintian warns about being run as root; its findings are what counts.
if lintian --fail-on error "$deb" >"$work/lintian" 2>&1; then
  grep -v 'running with root privileges' "$work/lintian" || true
  echo "package: lintian reports no errors"
else
  cat "$work/lintian" >&2
  fail "lintian reports errors"
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
app=de.ortavin.kelvatron
desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" || fail "AppStream metadata"

for path in usr/bin/Kelvatron \
  usr/share/kelvatron/Kelvatron.chm usr/share/kelvatron/Protokollvorlage.doc \
  usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml \
  usr/share/icons/hicolor/{32x32,48x48,64x64,128x128}/apps/kelvatron.png \
  usr/share/icons/hicolor/scalable/apps/kelvatron.svg \
  usr/share/man/man1/Kelvatron.1.gz \
  usr/share/doc/kelvatron/copyright usr/share/doc/kelvatron/changelog.gz \
  usr/share/doc/kelvatron/README.md; do
  [ -f "$root/$path" ] || fail "missing /$path"
done

# The unpacked program starts headless in a home of its own, with an empty
# device folder so no serial line of this machine is touched.
mkdir -p "$work/home" "$work/devices" "$work/cwd" "$work/runtime"
chmod 700 "$work/runtime"
if (cd "$work/cwd" && env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime" \
  KELVATRON_DEVICE_DIR="$work/devices" QT_QPA_PLATFORM=offscreen \
  timeout 60 "$root/usr/bin/Kelvatron" --check-installation) >"$work/out" 2>"$work/err"; then
  cat "$work/out"
  grep -qx "Hilfe: $root/usr/share/kelvatron/Kelvatron.chm (gefunden)" "$work/out" ||
    fail "the help file was not found in the installed data folder"
  grep -qx "Vorlage: $root/usr/share/kelvatron/Protokollvorlage.doc (gefunden)" "$work/out" ||
    fail "the template was not found in the installed data folder"
else
  cat "$work/out" "$work/err" >&2
  fail "the unpacked program did not start and end cleanly"
fi

[ "$failed" -eq 0 ] || exit 1
echo "package: all checks passed"
