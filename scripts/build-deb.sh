#!/usr/bin/env bash
# Builds the Debian package of the native programs and checks it as Debian's
# archive would: lintian (no error, no warning), desktop-file-validate on the
# menu entry and appstreamcli on the AppStream metainfo.
#   scripts/build-deb.sh [build dir]     default build/native
# The build is configured for /usr (the programs name their installed
# documentation by the prefix) with every optional part required.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/native}
for tool in cpack dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null ||
    { echo "build-deb: $tool is missing; run scripts/install-deps.sh test" >&2; exit 2; }
done
# intro-pack's prebuilt Windows intro and web folder come from the other two
# builds (already up to date when ./test.sh has run them).
./scripts/build-win32.sh build/win32 >/dev/null
./scripts/build-web.sh build/web >/dev/null
exe=$PWD/build/win32/platform/win32/intro.exe
cmake -S . -B "$BUILD" -DCMAKE_INSTALL_PREFIX=/usr -DINTRO_REQUIRE_ALL=ON \
  -DINTRO_PACKAGE_EXE="$exe" -DINTRO_PACKAGE_WEB="$PWD/build/web" >/dev/null
cmake --build "$BUILD" -j"${INTRO_JOBS:-$(nproc)}"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
deb=$BUILD/intro_${version}_$(dpkg --print-architecture).deb
rm -f "$deb"
(cd "$BUILD" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "build-deb: cpack wrote no $deb" >&2; exit 1; }
echo "build-deb: $deb"
dpkg-deb --field "$deb" Package Version Section Depends Recommends | sed 's/^/  /'

status=0
contents=$(mktemp -d /tmp/intro-deb.XXXXXX)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents"/usr/share/applications/*.desktop || status=1
appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
  { appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml; status=1; }

# Info tags (I:) are shown but pass; overrides carry their reason in
# packaging/lintian-overrides.
report=$(lintian --display-info --fail-on error,warning "$deb") || status=1
[ -n "$report" ] && echo "$report"
echo "build-deb: lintian: $(grep -c '^E:' <<<"$report") errors, $(grep -c '^W:' <<<"$report") warnings," \
  "$(grep -c '^I:' <<<"$report") info tags"
if [ "$status" != 0 ]; then
  echo "build-deb: the package does not pass its checks" >&2
fi
exit "$status"
