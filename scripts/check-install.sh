#!/usr/bin/env bash
# Checks what a user gets: the installed files, their desktop entry and metadata, the Debian
# package, and the installed program showing its window.  Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}
id=io.github.kavalun.OhybNaKavalun
tmp=$(mktemp -d)
app=''
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

sizes=(16 32 48 64 128 256)
expected=$(printf '%s\n' usr/bin/kavalun usr/share/applications/$id.desktop \
    usr/share/doc/kavalun/copyright usr/share/doc/kavalun/changelog.gz usr/share/doc/kavalun/navod.html \
    $(cd docs && find navod -type f | sed 's|^|usr/share/doc/kavalun/|') \
    usr/share/man/man1/kavalun.1.gz usr/share/man/cs/man1/kavalun.1.gz \
    usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$id.png | sort)
deb=$(scripts/package.sh "$build") # also builds the program and installs the tools used here
root=$tmp/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
diff <(echo "$expected") <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) ||
    fail "installed files (>) differ from the expected ones (<)"
for size in "${sizes[@]}"; do
    file "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size}x$size icon is not a $size-pixel PNG"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" >"$tmp/log" 2>&1 || true
[ ! -s "$tmp/log" ] || { cat "$tmp/log"; fail "desktop-file-validate complained"; }
appstreamcli validate-tree --no-net --strict "$root" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail "appstreamcli complained"; }

version=$(sed -n 's/^project(Kavalun VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
[ "$deb" = "build/package/kavalun_${version}_amd64.deb" ] || fail "package is $deb, not of version $version"
diff <(echo "$expected") <(dpkg-deb -c "$deb" | awk '!/^d/ {print substr($6, 3)}' | sort) ||
    fail "packaged files (>) differ from the installed ones (<)"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libxlsxwriter4 fonts-liberation qt6-translations-l10n; do
    [[ ", $depends," =~ ,\ $d[\ ,] ]] || fail "Depends lacks $d: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "the package does not recommend qt6-wayland"
[ "$(dpkg-deb -f "$deb" Section)" = education ] || fail "the package's section is not education"
# Debian's own checks of the package: not one error or warning.
lintian --fail-on error,warning "$deb" >"$tmp/log" 2>&1 && ! grep -qE '^[EW]: ' "$tmp/log" ||
    { cat "$tmp/log"; fail "lintian complained"; }
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metadata has no release $version"

# The installed program stays up on the offscreen platform until it is told to end...
QT_QPA_PLATFORM=offscreen "$root/usr/bin/kavalun" &
app=$!
sleep 1
kill "$app" 2>/dev/null || fail "the installed program ended by itself"
wait "$app" && status=0 || status=$?
app=''
[ "$status" -eq 143 ] || fail "the installed program ended with status $status, not by the signal"
# ...and paints its window: the minimal platform saves each flushed window as a picture. Its
# screen is 240 x 320, so the window fits itself to that.
(cd "$tmp" && exec env QT_QPA_PLATFORM=minimal:enable_fonts QT_DEBUG_BACKINGSTORE=1 \
    "$root/usr/bin/kavalun" 2>/dev/null) &
app=$!
painted() { file "$tmp/output0000.png" | grep -q 'PNG image data, 240 x 320,'; }
for _ in $(seq 100); do painted && break; sleep 0.1; done
painted || fail "no window of the whole 240 x 320 screen was painted"
echo "check-install: $deb and its installed files are sound"
