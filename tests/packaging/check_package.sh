#!/usr/bin/env bash
# Builds the .deb from a built build folder and checks what it installs: the file list, the run-time
# dependencies, the menu entry and AppStream data (validated), the manual pages (rendered without
# warnings), and that the installed programs find their shipped files.
#   check_package.sh BUILD_FOLDER        exit 0 passed, 1 failed, 77 skipped (a tool is missing)
set -euo pipefail
build=$1

for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli groff; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (packages: cmake, dpkg-dev, file, desktop-file-utils, appstream, groff-base)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack could not build the package"
fi
deb=$(ls "$work"/out/orbelis_*.deb)
echo "package: $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#; s#/$##' | grep -v '^$' | sort >"$work/files"
for f in /usr/bin/orbelis /usr/bin/orbelis-cli /usr/share/orbelis/orbelis.txt \
         /usr/share/applications/cz.orbelis.Orbelis.desktop \
         /usr/share/metainfo/cz.orbelis.Orbelis.metainfo.xml \
         /usr/share/mime/packages/orbelis.xml \
         /usr/share/icons/hicolor/scalable/apps/cz.orbelis.Orbelis.svg \
         /usr/share/icons/hicolor/48x48/apps/cz.orbelis.Orbelis.png \
         /usr/share/icons/hicolor/256x256/apps/cz.orbelis.Orbelis.png \
         /usr/share/man/man1/orbelis.1 /usr/share/man/man1/orbelis-cli.1; do
  grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
# Nothing outside /usr, and none of the build's tests, benchmarks or build tools.
outside=$(grep -v -e '^/usr' -e '^/$' -e '^\.$' "$work/files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
! grep -E '/(test_|bench_|orbelis-help-to-man|orbelis-render-icon)' "$work/files" || fail "build-only programs are packaged"

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libsqlite3-0 libcurl4 libjpeg62-turbo libqt6sql6-sqlite qt6-qpa-plugins \
         qt6-translations-l10n fonts-liberation fonts-crosextra-caladea; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/cz.orbelis.Orbelis.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/cz.orbelis.Orbelis.metainfo.xml" || fail "appstreamcli validate"
for page in orbelis orbelis-cli; do
  warnings=$(groff -k -man -Tutf8 -ww -z "$work/root/usr/share/man/man1/$page.1" 2>&1)
  [ -z "$warnings" ] || fail "man page $page.1: $warnings"
done

# The installed programs read the version from share/orbelis and answer without a display.
version=$("$work/root/usr/bin/orbelis-cli" --version)
[ "$version" = "Verze programu: $(sed -n '1{s/\.//;p}' "$work/root/usr/share/orbelis/orbelis.txt")" ] || fail "orbelis-cli --version: $version"
"$work/root/usr/bin/orbelis" --help | grep -q '^Použití: orbelis ' || fail "orbelis --help"
echo "passed"
