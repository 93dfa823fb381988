#!/usr/bin/env bash
# Builds the Debian package from the test build and checks its files and dependency fields.
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$GPC_BUILD_DIR"
if ! cpack -G DEB -B "$out" --config CPackConfig.cmake > "$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
deb=$(ls "$out"/gyroplatecomposer_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
depends=$(dpkg-deb -f "$deb" Depends)
failures=0
expect_file() {
  grep -qx "./$1" <<<"$files" || { echo "missing from the package: $1"; failures=$((failures + 1)); }
}
expect_depends() {
  grep -q "$1" <<<"$depends" || { echo "Depends lacks $1: $depends"; failures=$((failures + 1)); }
}
expect_file usr/bin/gyroplatecomposer
expect_file usr/bin/gpctool
expect_file usr/share/applications/gyroplatecomposer.desktop
expect_file usr/share/mime/packages/gyroplatecomposer.xml
expect_file usr/share/icons/hicolor/scalable/apps/gyroplatecomposer.svg
for size in 16 32 48 64 128 256; do
  expect_file "usr/share/icons/hicolor/${size}x${size}/apps/gyroplatecomposer.png"
done
for dependency in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 \
    qt6-qpa-plugins qt6-image-formats-plugins libicu fonts-ipafont-gothic; do
  expect_depends "$dependency"
done
if grep -q 'emf2svg' <<<"$(ldd "$GPC_BUILD_DIR/app/gyroplatecomposer")"; then
  expect_depends libemf2svg
fi
# Nothing of the build machine leaks into the package.
if grep -q -E '/work/|build/' <<<"$files"; then
  echo "package holds build paths"; failures=$((failures + 1))
fi
# The desktop entry and the document type are valid by the freedesktop rules.
dpkg-deb -x "$deb" "$out/root"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$out/root/usr/share/applications/gyroplatecomposer.desktop"
fi
grep -q 'Exec=gyroplatecomposer %f' "$out/root/usr/share/applications/gyroplatecomposer.desktop"
grep -q 'MimeType=application/x-gyroplatecomposer;' "$out/root/usr/share/applications/gyroplatecomposer.desktop"
xmllint --noout "$out/root/usr/share/mime/packages/gyroplatecomposer.xml" 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the package"
  exit 1
fi
echo "package ok: $(basename "$deb")"
