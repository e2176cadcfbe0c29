#!/usr/bin/env bash
# `cmake --install` puts exactly the programs, the two manual pages and the XScreenSaver hack
# description in place, and both pages render without warnings.
set -euo pipefail
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null
(cd "$stage" && find . -type f | sort) > "$stage.list"
expected=$'./usr/bin/scenepack\n./usr/bin/scenesaver\n./usr/share/man/man1/scenepack.1\n./usr/share/man/man6/scenesaver.6\n./usr/share/xscreensaver/config/scenepack.xml'
actual=$(cat "$stage.list")
rm -f "$stage.list"
if [ "$actual" != "$expected" ]; then
  echo "installed files differ:"; echo "$actual"; exit 1
fi
for page in "$stage"/usr/share/man/man1/scenepack.1 "$stage"/usr/share/man/man6/scenesaver.6; do
  warnings=$(groff -ww -man -Tutf8 "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then echo "$page: $warnings"; exit 1; fi
done
[ -x "$stage/usr/bin/scenesaver" ] && [ -x "$stage/usr/bin/scenepack" ]
xmllint_out=$(python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
  "$stage/usr/share/xscreensaver/config/scenepack.xml" 2>&1) || { echo "$xmllint_out"; exit 1; }
echo "install: ok"
