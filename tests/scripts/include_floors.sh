#!/usr/bin/env bash
# Lower floors never include higher ones: every #include "folder/..." in src/ must name a folder on
# the same floor or below. Floors: 1 text, platform; 2 document, shapes; 3 commands, view, merge,
# tracklayout, printing/render; 4 editing, printing, tracks, view/widgets; 5 mainwindow.
set -euo pipefail
cd "${GPC_SOURCE_DIR:-$(dirname "$0")/../..}/src"

floor() {
  case "$1" in
    text/* | platform/*) echo 1 ;;
    document/* | shapes/*) echo 2 ;;
    view/widgets/* | editing/* | tracks/*) echo 4 ;;
    printing/render/* | commands/* | view/* | merge/* | tracklayout/*) echo 3 ;;
    printing/*) echo 4 ;;
    mainwindow/*) echo 5 ;;
    *) echo 0 ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(floor "$file")
  while IFS= read -r included; do
    theirs=$(floor "$included")
    if [ "$theirs" -gt "$own" ]; then
      echo "$file (floor $own) includes $included (floor $theirs)"
      status=1
    fi
  done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)"/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
[ "$status" -eq 0 ] && echo "include floors: every include points to the same floor or below"
exit "$status"
