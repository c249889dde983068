#!/usr/bin/env bash
# Installs the build into a staging folder, whole and component by component,
# and checks what the Debian packages rely on: every installed file belongs to
# a packaged component; programs, library links, database, desktop entry, icon
# and manual pages are where Debian expects them, without the build's
# run-path; a client program builds against the staged headers alone, with
# pkg-config and with find_package, and creates KorvaneConnection through the
# staged library.
#
#   install_layout_test.sh BUILD_DIR SOURCE_DIR PREFIX LIBDIR
set -euo pipefail
build=$1 source=$2 prefix=$3 libdir=$4
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

components=$(sed -n 's/^set(CPACK_COMPONENTS_ALL "\(.*\)")$/\1/p' "$build/CPackConfig.cmake" | tr ';' ' ')
[ -n "$components" ] || fail "no packaged components in $build/CPackConfig.cmake"
DESTDIR="$stage/whole" cmake --install "$build" >/dev/null
for c in $components; do
  DESTDIR="$stage/parts" cmake --install "$build" --component "$c" >/dev/null
done
diff <(cd "$stage/whole" && find . ! -type d | sort) <(cd "$stage/parts" && find . ! -type d | sort) ||
  fail "files above are installed outside the packaged components ($components)"

root=$stage/whole$prefix
expected=(bin/plandex bin/sondrel bin/korvane-sim share/plandex/FileDB2000.mdb
  "$libdir/libSondrel.so.2.01" "$libdir/pkgconfig/sondrel.pc" "$libdir/cmake/Sondrel/SondrelConfig.cmake"
  include/sondrel/activation.h include/sondrel/sondrel_ids.h share/applications/plandex.desktop
  share/icons/hicolor/scalable/apps/plandex.svg share/icons/hicolor/48x48/apps/plandex.png
  share/man/man1/plandex.1.gz share/sondrel/limits/fcc-76-605.json)
if command -v help2man >/dev/null; then
  expected+=(share/man/man1/sondrel.1.gz share/man/man1/korvane-sim.1.gz)
fi
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "nothing installed as $prefix/$f"
done
[ "$(readlink "$root/$libdir/libSondrel.so.2")" = libSondrel.so.2.01 ] || fail "soname link"
[ "$(readlink "$root/$libdir/libSondrel.so")" = libSondrel.so.2 ] || fail "development link"
[ ! -e "$root/bin/FileDB2000.mdb" ] || fail "the database is installed beside the program"
for f in bin/plandex bin/sondrel bin/korvane-sim "$libdir/libSondrel.so.2.01"; do
  ! readelf -d "$root/$f" | grep 'R.*PATH' >/dev/null || fail "$f keeps the build's run-path"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/share/applications/plandex.desktop" || fail "desktop entry"
fi

# The client sees only what is staged: no source folder on its include path.
client_source=$source/packaging/example-client
flags=$(PKG_CONFIG_PATH="" PKG_CONFIG_LIBDIR="$root/$libdir/pkgconfig" PKG_CONFIG_SYSROOT_DIR="$stage/whole" \
  pkg-config --cflags --libs sondrel)
# shellcheck disable=SC2086 # the flags are words
c++ -std=c++20 -Wall -Wextra -Werror "$client_source/main.cpp" $flags -o "$stage/with-pkg-config" ||
  fail "the client does not build with pkg-config"
cmake -S "$client_source" -B "$stage/client-build" -DCMAKE_PREFIX_PATH="$root" >/dev/null &&
  cmake --build "$stage/client-build" >/dev/null || fail "the client does not build with find_package"
for client in "$stage/with-pkg-config" "$stage/client-build/example-client"; do
  out=$(LD_LIBRARY_PATH="$root/$libdir" "$client") || fail "$client failed: $out"
  [ "$out" = "PortDevice 0" ] || fail "$client printed '$out'"
done
echo "install layout and development files: passed"
