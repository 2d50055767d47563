#!/usr/bin/env bash
# The build's Debian package (CPack, nothing rebuilt), unpacked into a temporary root and tried there:
# distribution folder, voxatool, desktop entry, icons, metadata; lintian errors fail when it is present.
#   e2e_package.sh BUILD_DIR    (exits 77, skipped, without dpkg-deb or cpack)
set -euo pipefail
BUILD=$(cd "$1" && pwd)
for tool in dpkg-deb cpack; do command -v "$tool" >/dev/null || { echo "SKIP: no $tool"; exit 77; }; done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for f in dist/voxam2 dist/default.mgs bin/voxatool package-doc/changelog.gz; do [ -f "$BUILD/$f" ] || fail "$f missing: build all"; done

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
shopt -s nullglob
debs=("$WORK"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]:-none}"
DEB=${debs[0]}
VERSION=$(dpkg-deb -f "$DEB" Version)
# dpkg-shlibdeps cannot find the platform plugins' package.
[[ "$(dpkg-deb -f "$DEB" Depends)" == *qt6-qpa-plugins* ]] || fail "Depends lacks qt6-qpa-plugins"
ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT"
DIST="$ROOT/usr/lib/voxa-manager"

# The distribution folder: the build's files plus the installed mark.
(cd "$BUILD/dist" && find . -type f ! -name voxam2.ini ! -name copy.his | sort) >"$WORK/dist.list"
(cd "$DIST" && find . -type f ! -name voxa-manager.installed | sort) | diff -u "$WORK/dist.list" - >&2 ||
  fail "the package's distribution folder differs from build/dist"
[ -f "$DIST/voxa-manager.installed" ] || fail "no voxa-manager.installed mark"
for f in "$DIST/voxam2" "$ROOT/usr/bin/voxam2-disk" "$ROOT/usr/bin/voxatool"; do [ -x "$f" ] || fail "$f not executable"; done
grep -q '/\.\./lib/voxa-manager/voxam2"' "$ROOT/usr/bin/voxam2-disk" || fail "voxam2-disk does not name lib/voxa-manager"
bash -n "$ROOT/usr/share/bash-completion/completions/voxatool" || fail "bash completion missing or does not parse"

# voxatool from the package: the package's version, and the sample files shown as the build's voxatool shows them.
TOOL="$ROOT/usr/bin/voxatool"
[ "$("$TOOL" --version)" = "voxatool $VERSION" ] || fail "voxatool --version: $("$TOOL" --version)"
cd "$WORK"
"$BUILD/bin/voxatool" new-config sample.cfg Volume=12 >/dev/null
cp "$DIST/default.mgs" sample.mgs
"$TOOL" show sample.cfg sample.mgs >packaged.txt || fail "voxatool show failed"
grep -q 'R7CFG' packaged.txt && grep -q 'Volume *+12' packaged.txt || fail "voxatool show: $(head -5 packaged.txt)"
"$BUILD/bin/voxatool" show sample.cfg sample.mgs | cmp -s packaged.txt - || fail "the package's voxatool shows the files differently"

# The desktop entry, its icons and the metadata.
ENTRY="$ROOT/usr/share/applications/voxa-manager.desktop"
for tool in desktop-file-validate appstreamcli; do command -v $tool >/dev/null || fail "$tool missing (scripts/deps)"; done
desktop-file-validate "$ENTRY" || fail "desktop entry invalid"
key() { sed -n "s/^$1=//p" "$ENTRY"; }
[ -x "$ROOT/usr/bin/$(key Exec)" ] || fail "Exec $(key Exec) is not in the package"
[ "$(key StartupWMClass)" = voxam2 ] || fail "StartupWMClass is $(key StartupWMClass), not the program's name"
ICON=$(key Icon)
[ -n "$ICON" ] && [ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/$ICON.svg" ] || fail "no scalable icon '$ICON'"
for size in 16 22 24 32 48 64 128 256; do
  png="$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/$ICON.png"  # width, height: big-endian at byte 16
  [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] || fail "no $size x $size $png"
done
metas=("$ROOT"/usr/share/metainfo/*.metainfo.xml)
[ ${#metas[@]} -eq 1 ] && appstreamcli validate --no-net "${metas[0]}" || fail "not one valid metainfo file"
grep -q '<launchable type="desktop-id">voxa-manager.desktop</launchable>' "${metas[0]}" || fail "metainfo launches another entry"
grep -q "<release version=\"$VERSION\"" "${metas[0]}" || fail "metainfo has no release $VERSION"

if command -v lintian >/dev/null; then
  lintian "$DEB" >"$WORK/lintian.log" 2>&1 || true
  ! grep -q '^E: ' "$WORK/lintian.log" || { cat "$WORK/lintian.log" >&2; fail "lintian reports errors"; }
fi
echo "PASS: $(basename "$DEB")"
