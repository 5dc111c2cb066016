#!/usr/bin/env bash
# Set-up, build, start and test of Orbelis on Debian 12.
#   bash tools/orbelis.sh start   install what is missing, build, start the program on the demo data folder
#   bash tools/orbelis.sh test    install what is missing, build, run every test
#   bash tools/orbelis.sh package install what is missing, build the programs, write the .deb package
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
mode=${1:-start}

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite libqt6svg6
  libsqlite3-dev sqlite3 libicu-dev libcurl4-openssl-dev libjpeg-dev libzip-dev libqrencode-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-crosextra-caladea qt6-translations-l10n
  xvfb xauth
)
test_packages=(libreoffice-draw libreoffice-writer libreoffice-core poppler-utils python3-pyftpdlib python3-openssl php-cli chromium python3-z3 zbar-tools)
package_packages=(dpkg-dev file desktop-file-utils appstream groff-base)

install_missing() {
  local wanted=("$@") missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j"$(nproc)" "$@"
}

case "$mode" in
  start)
    install_missing "${packages[@]}"
    configure_and_build --target orbelis orbelis-cli
    demo="$build/demo-data"
    if [ ! -f "$demo/skola.mdb" ]; then
      "$build/src/orbelis-cli" demo --data "$demo"
    fi
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec "$build/src/orbelis" /files "$demo/"
    else
      echo "No display is available (DISPLAY is not set): the desktop window cannot open here."
      echo "The demo data folder is ready at $demo; what it holds:"
      ls -la "$demo"
      sqlite3 "$demo/skola.mdb" "SELECT 'třídy: ' || count(*) FROM trida; SELECT 'žáci a možnosti: ' || count(*) FROM zak; SELECT 'odpovědi: ' || count(*) FROM odpovedi;"
      echo "To see the window without a display: xvfb-run -a $build/src/orbelis /files $demo/"
    fi
    ;;
  test)
    install_missing "${packages[@]}" "${test_packages[@]}" "${package_packages[@]}"
    # The phone tests of the published pages drive Chromium with puppeteer-core and check with axe-core (npm).
    command -v npm >/dev/null || install_missing nodejs npm
    (cd "$here/tests/web/browser" && npm ci --no-audit --no-fund --loglevel=error)
    configure_and_build
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j"$(nproc)"
    ;;
  package)
    install_missing "${packages[@]}" "${package_packages[@]}"
    # A build folder of its own without tests and benchmarks: the package holds the programs only.
    build="$here/build-package"
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DORBELIS_BUILD_TESTS=OFF -DORBELIS_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)"
    (cd "$build" && cpack -G DEB)
    echo "Package: $(ls "$build"/orbelis_*.deb)"
    echo "Install it with: sudo apt-get install $(ls "$build"/orbelis_*.deb)"
    ;;
  *)
    echo "usage: bash tools/orbelis.sh start|test|package" >&2
    exit 2
    ;;
esac
