#!/usr/bin/env bash
# `cmake --install` puts exactly the programs, the two manual pages, the English catalogue, the
# XScreenSaver hack description, the desktop entry and the MIME type of saver files in place;
# both pages render without warnings and the desktop entry and MIME type are valid.
set -euo pipefail
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR="$stage" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null
(cd "$stage" && find . -type f | sort) > "$stage.list"
expected=$'./usr/bin/scenepack\n./usr/bin/scenesaver\n./usr/share/applications/scenepack-play.desktop\n./usr/share/locale/en/LC_MESSAGES/scenesaver.mo\n./usr/share/man/man1/scenepack.1\n./usr/share/man/man6/scenesaver.6\n./usr/share/mime/packages/scenesaver.xml\n./usr/share/xscreensaver/config/scenepack.xml'
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
for tool in desktop-file-validate update-mime-database; do
  command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done
desktop-file-validate "$stage/usr/share/applications/scenepack-play.desktop"
# The MIME database built from the package's type alone knows a saver by its content.
mkdir -p "$stage/mime/packages"
cp "$stage/usr/share/mime/packages/scenesaver.xml" "$stage/mime/packages/"
update-mime-database "$stage/mime" 2>&1
grep -q 'scene-show saver player' "$stage/mime/magic" || { echo "no magic for saver files"; exit 1; }
echo "install: ok"
