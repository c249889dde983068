#!/usr/bin/env bash
# Installs the build into a staging folder, whole and component by component,
# and checks what the Debian packages rely on: every installed file belongs to
# a packaged component, and each component goes whole into one package of
# debian/*.install; programs, library links, database, desktop entry, icon
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
# Every check runs: a missing tool fails the test instead of skipping a check.
for tool in help2man desktop-file-validate readelf pkg-config; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

components=$(tr ';' ' ' <"$build/install-components.txt")
[ -n "$components" ] || fail "no packaged components in $build/install-components.txt"
DESTDIR="$stage/whole" cmake --install "$build" >/dev/null
for c in $components; do
  DESTDIR="$stage/parts" cmake --install "$build" --component "$c" >/dev/null
  DESTDIR="$stage/$c" cmake --install "$build" --component "$c" >/dev/null
done
diff <(cd "$stage/whole" && find . ! -type d | sort) <(cd "$stage/parts" && find . ! -type d | sort) ||
  fail "files above are installed outside the packaged components ($components)"

# Each component is one Debian package: every file of the component is taken
# by the debian/<package>.install of the same one package, and by no other.
# Those lists name the places under /usr with the multi-arch library folder;
# here they are read relative to the prefix, with this build's library folder.
packages_of() { # FILE (relative to the prefix)
  local list pattern
  for list in "$source"/debian/*.install; do
    while read -r pattern; do
      pattern=${pattern#usr/}
      pattern=${pattern/#lib\/\*\//$libdir/}
      # shellcheck disable=SC2053 # the patterns are globs
      if [[ $1 == $pattern || $1 == $pattern/* ]]; then
        basename "$list" .install
        break
      fi
    done <"$list"
  done
}
for c in $components; do
  [ -n "$(find "$stage/$c" ! -type d)" ] || fail "component $c installs nothing"
  owners=$(cd "$stage/$c$prefix" && find . ! -type d | sed 's|^\./||' | while read -r f; do
    owner=$(packages_of "$f")
    [ "$(wc -w <<<"$owner")" -eq 1 ] || fail "$f of component $c goes to the packages '$owner'"
    echo "$owner"
  done | sort -u) || exit 1
  [ "$(wc -l <<<"$owners")" -eq 1 ] || fail "component $c is split over the packages $owners"
  echo "component $c: package $owners"
done

root=$stage/whole$prefix
expected=(bin/plandex bin/sondrel bin/korvane-sim share/plandex/FileDB2000.mdb
  "$libdir/libSondrel.so.2.01" "$libdir/pkgconfig/sondrel.pc" "$libdir/cmake/Sondrel/SondrelConfig.cmake"
  include/sondrel/activation.h include/sondrel/sondrel_ids.h share/applications/plandex.desktop
  share/icons/hicolor/scalable/apps/plandex.svg share/icons/hicolor/48x48/apps/plandex.png
  share/man/man1/plandex.1.gz share/man/man1/sondrel.1.gz share/man/man1/korvane-sim.1.gz
  share/metainfo/plandex.metainfo.xml share/sondrel/limits/fcc-76-605.json)
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "nothing installed as $prefix/$f"
done
[ "$(readlink "$root/$libdir/libSondrel.so.2")" = libSondrel.so.2.01 ] || fail "soname link"
[ "$(readlink "$root/$libdir/libSondrel.so")" = libSondrel.so.2 ] || fail "development link"
[ ! -e "$root/bin/FileDB2000.mdb" ] || fail "the database is installed beside the program"
for f in bin/plandex bin/sondrel bin/korvane-sim "$libdir/libSondrel.so.2.01"; do
  ! readelf -d "$root/$f" | grep 'R.*PATH' >/dev/null || fail "$f keeps the build's run-path"
done
desktop-file-validate "$root/share/applications/plandex.desktop" || fail "desktop entry"

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
