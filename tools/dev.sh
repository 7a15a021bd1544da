#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and then either starts the program on a demo
# database of its own (demo) or runs every test (test).
set -euo pipefail
cd "$(dirname "$0")/.."

# qt6-charts-dev's CMake files need Qt's OpenGL ones, which Debian 12 ships apart.
packages=(g++ cmake make pkgconf qt6-base-dev qt6-charts-dev libqt6opengl6-dev libsqlite3-dev
          libxlsxwriter-dev zlib1g-dev clang-format sqlite3 poppler-utils unzip xvfb xauth
          fonts-dejavu-core libpq-dev postgresql)

# Making and checking the Debian package needs these as well.
packaging_packages=(dpkg-dev lintian debootstrap desktop-file-utils appstream)

install_packages() {
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} = 0 ] && return
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() { # build folder, extra CMake arguments
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
demo)
    install_packages
    build build
    export KR7_HOME="$PWD/demo"
    [ -f "$KR7_HOME/KR7-d-4-0.db" ] || ./build/tools/kr7-db init --demo
    exec ./build/kr7-data
    ;;
test)
    install_packages
    build build
    cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
    ;;
sanitize)
    install_packages
    build build-sanitize -DKR7_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    cd build-sanitize && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
    ;;
package)
    packages+=("${packaging_packages[@]}")
    install_packages
    build build
    cmake --build build --target package
    ;;
package-check)
    packages+=("${packaging_packages[@]}")
    install_packages
    exec tools/package-check.sh
    ;;
*)
    echo "usage: tools/dev.sh demo|test|sanitize|package|package-check" >&2
    exit 2
    ;;
esac
