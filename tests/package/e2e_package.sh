#!/usr/bin/env bash
# The Debian package of this build: packed with CPack into a temporary
# folder (the build's own files, nothing rebuilt), unpacked into a temporary
# root, and tried there: its distribution folder is the build's, voxatool
# runs from it and reads player files as the build's voxatool does, and the
# desktop entry, the icons and the metadata are valid and agree with each
# other. lintian, when present, must report no errors.
#   e2e_package.sh BUILD_DIR
# Exits 77 (skipped) without dpkg-deb or cpack.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
for tool in dpkg-deb cpack; do
  command -v "$tool" >/dev/null || { echo "SKIP: no $tool"; exit 77; }
done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The inputs come from an ordinary build of the whole tree.
for f in dist/voxam2 dist/default.mgs bin/voxatool man/voxatool.1.gz package-doc/changelog.gz; do
  [ -f "$BUILD/$f" ] || fail "$BUILD/$f is missing: build the whole tree first"
done

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 || { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
shopt -s nullglob
debs=("$WORK"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found: ${debs[*]:-none}"
DEB=${debs[0]}
VERSION=$(dpkg-deb -f "$DEB" Version)
ARCH=$(dpkg-deb -f "$DEB" Architecture)
[ "$(basename "$DEB")" = "voxa-manager_${VERSION}_${ARCH}.deb" ] || fail "package file name $(basename "$DEB")"
[ "$ARCH" = "$(dpkg --print-architecture)" ] || fail "architecture $ARCH"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
# Found by dpkg-shlibdeps, and the one it cannot find.
for dep in libqt6core6 libqt6widgets6 libjpeg62-turbo libcurl4 qt6-qpa-plugins; do
  [[ ", $DEPENDS," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $DEPENDS"
done

ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT"
DIST="$ROOT/usr/lib/voxa-manager"

# The distribution folder is what an installation copies onto a disk: every
# file of the build's, the same bytes (the program only stripped), plus the
# mark that keeps an installation from deleting it.
(cd "$BUILD/dist" && find . -type f ! -name voxam2.ini ! -name copy.his | sort) >"$WORK/dist.list"
(cd "$DIST" && find . -type f ! -name voxa-manager.installed | sort) >"$WORK/pkg.list"
diff -u "$WORK/dist.list" "$WORK/pkg.list" >&2 || fail "the package's distribution folder differs from build/dist"
while read -r f; do
  [ "$f" = ./voxam2 ] && continue
  cmp -s "$BUILD/dist/$f" "$DIST/$f" || fail "$f differs from build/dist"
done <"$WORK/dist.list"
[ -f "$DIST/voxa-manager.installed" ] || fail "no voxa-manager.installed mark"
[ -x "$DIST/voxam2" ] && [ -x "$ROOT/usr/bin/voxam2-disk" ] && [ -x "$ROOT/usr/bin/voxatool" ] ||
  fail "programs missing or not executable"
# The starter finds the manager installed beside it.
grep -q '/\.\./lib/voxa-manager/voxam2"' "$ROOT/usr/bin/voxam2-disk" || fail "voxam2-disk does not name lib/voxa-manager"
for f in usr/share/man/man1/voxatool.1.gz usr/share/man/man1/voxam2-disk.1.gz \
         usr/share/bash-completion/completions/voxatool \
         usr/share/doc/voxa-manager/copyright usr/share/doc/voxa-manager/changelog.gz; do
  [ -s "$ROOT/$f" ] || fail "$f missing"
done
for f in usr/share/man/man1/*.gz usr/share/doc/voxa-manager/changelog.gz; do
  gzip -t "$ROOT/$f" || fail "$f is not gzip"
done
zcat "$ROOT/usr/share/doc/voxa-manager/changelog.gz" | head -1 | grep -qF "voxa-manager ($VERSION)" ||
  fail "changelog does not start with version $VERSION"
bash -n "$ROOT/usr/share/bash-completion/completions/voxatool" || fail "bash completion does not parse"

# voxatool from the package: its version is the package's, and it prints
# the build's sample files exactly as the build's voxatool does.
TOOL="$ROOT/usr/bin/voxatool"
[ "$("$TOOL" --version)" = "voxatool $VERSION" ] || fail "voxatool --version: $("$TOOL" --version)"
cd "$WORK"
"$BUILD/bin/voxatool" new-config sample.cfg Volume=12 >/dev/null
cp "$DIST/default.mgs" sample.mgs
"$TOOL" show sample.cfg sample.mgs >packaged.txt || fail "voxatool show failed"
"$BUILD/bin/voxatool" show sample.cfg sample.mgs >built.txt
grep -q 'R7CFG' packaged.txt && grep -q 'Volume *+12' packaged.txt || fail "voxatool show: $(head -5 packaged.txt)"
cmp -s packaged.txt built.txt || fail "the package's voxatool shows the sample files differently"

# The desktop entry, its icon and the metadata.
ENTRY="$ROOT/usr/share/applications/voxa-manager.desktop"
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (scripts/deps)"
desktop-file-validate "$ENTRY" || fail "desktop entry invalid"
key() { sed -n "s/^$1=//p" "$ENTRY"; }
[ -x "$ROOT/usr/bin/$(key Exec)" ] || fail "Exec $(key Exec) is not in the package"
ICON=$(key Icon)
[ -n "$ICON" ] || fail "desktop entry has no Icon"
for size in 16 22 24 32 48 64 128 256; do
  png="$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/$ICON.png"
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  # Width and height: big-endian words at byte 16 of the PNG header.
  [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
    fail "$png is not $size x $size"
done
[ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/$ICON.svg" ] || fail "no scalable icon"
# The window's class on X11 is the program's name; the entry must name it.
[ "$(key StartupWMClass)" = voxam2 ] || fail "StartupWMClass is $(key StartupWMClass)"

command -v appstreamcli >/dev/null || fail "appstreamcli missing (scripts/deps)"
metas=("$ROOT"/usr/share/metainfo/*.metainfo.xml)
[ ${#metas[@]} -eq 1 ] || fail "expected one metainfo file"
appstreamcli validate --no-net "${metas[0]}" || fail "metainfo invalid"
grep -q '<launchable type="desktop-id">voxa-manager.desktop</launchable>' "${metas[0]}" || fail "metainfo launches another entry"
grep -q "<release version=\"$VERSION\"" "${metas[0]}" || fail "metainfo has no release $VERSION"

if command -v lintian >/dev/null; then
  lintian "$DEB" >"$WORK/lintian.log" 2>&1 || true
  if grep -q '^E: ' "$WORK/lintian.log"; then
    cat "$WORK/lintian.log" >&2
    fail "lintian reports errors"
  fi
fi
echo "PASS: $(basename "$DEB")"
