#!/usr/bin/env bash
# libSondrel.so.2 exports exactly the symbols debian/libsondrel2.symbols
# lists (the package build holds the packaged library to the same list), and
# among them every entry point activation.h names for clients that look them
# up at run time.
#
#   library_exports_test.sh LIBRARY SOURCE_DIR
set -euo pipefail
library=$1 source=$2
symbols=$source/debian/libsondrel2.symbols
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# name@version; the version node itself is listed as SONDREL_2@SONDREL_2.
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | c++filt |
  sed 's/@@/@/; /@/!s/.*/&@&/' | sort)
listed=$(sed -n 's/^ (c++)"\(.*\)" .*/\1/p; s/^ \([^ (*][^ ]*\) .*/\1/p' "$symbols" | sort)
[ -n "$listed" ] || fail "no symbols read from $symbols"
diff <(echo "$listed") <(echo "$exported") ||
  fail "the exports of $library (>) differ from $symbols (<)"

entries=$(sed -n 's/^inline constexpr const char\* [A-Za-z]*Entry = "\(.*\)";$/\1/p' \
  "$source/meterlink/activation.h")
[ -n "$entries" ] || fail "no entry point names read from activation.h"
for entry in $entries; do
  grep -qx "$entry@.*" <<<"$exported" || fail "the entry point $entry is not exported"
done
echo "$(wc -l <<<"$exported") exports, $(wc -w <<<"$entries") entry points: passed"
