#!/usr/bin/env bash
# gpctool render from the command line: the outputs it writes (page sizes, pixel sizes), and
# its exit statuses and refusals; the sheets it knows and their options. The page content itself is checked pixel by pixel in
# test_printing.
set -euo pipefail

: "${GPCTOOL:?GPCTOOL names the gpctool executable}"
command -v pdfinfo >/dev/null || { echo "pdfinfo (poppler-utils) is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Runs gpctool and compares its exit status.
expect_status() {
    local expected=$1
    shift
    local status=0
    "$GPCTOOL" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    if [ "$status" -ne "$expected" ]; then
        fail "gpctool $* exited $status, expected $expected: $(cat "$work/err.txt")"
    elif [ "$expected" -ne 0 ] && [ ! -s "$work/err.txt" ]; then
        fail "gpctool $* gave no reason"
    fi
}

# Width and height of a PNG from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}

page_size() {
    pdfinfo "$1" | awk '/^Page size:/ { print $3 "x" $5 }'
}

# A label with a picture: a one-pixel blue PNG stretched over the square, and one text item.
echo "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGNgYPgPAAEDAQAIicLsAAAAAElFTkSuQmCC" |
    base64 -d >"$work/blue.png"
cat >"$work/label.json" <<'JSON'
{
  "BackLeft": 0, "BackTop": 0, "BackWidth": 0.26458333, "BackHeight": 0.26458333,
  "TextItems": [
    {"Text": "ラベル", "Left": 20, "Top": 30, "Size": 40, "Color": 0, "FontName": "IPAGothic"}
  ]
}
JSON
label="$work/label.gpc"
expect_status 0 create --json "$work/label.json" --picture "$work/blue.png" "$label"

# PDF: A4 portrait unless a page is given.
expect_status 0 render "$label" "$work/a4.pdf"
[ "$(page_size "$work/a4.pdf")" = "595.276x841.89" ] || [ "$(page_size "$work/a4.pdf")" = "595x842" ] ||
    fail "default page is $(page_size "$work/a4.pdf"), expected A4 portrait"
expect_status 0 render --page 130x140 --offset 4,-2.5 "$label" "$work/small.pdf"
# PDF page sizes are whole points: 130 x 140 mm is 368.5 x 396.9 pt.
[ "$(page_size "$work/small.pdf")" = "369x397" ] ||
    fail "130 x 140 mm page is $(page_size "$work/small.pdf") pt"
expect_status 0 render --page 297x210 "$label" "$work/landscape.pdf"
[ "$(page_size "$work/landscape.pdf")" = "841.89x595.276" ] || [ "$(page_size "$work/landscape.pdf")" = "842x595" ] ||
    fail "297 x 210 mm page is $(page_size "$work/landscape.pdf") pt"

# PNG: the page at --dpi (300 by default); --view: the screen view at PX × PX.
expect_status 0 render "$label" "$work/page.png"
[ "$(png_size "$work/page.png")" = "2480x3508" ] || fail "A4 at 300 dpi is $(png_size "$work/page.png")"
expect_status 0 render --dpi 100 --page 122x122 "$label" "$work/square.png"
[ "$(png_size "$work/square.png")" = "480x480" ] || fail "122 mm at 100 dpi is $(png_size "$work/square.png")"
expect_status 0 render --view 500 "$label" "$work/view.png"
[ "$(png_size "$work/view.png")" = "500x500" ] || fail "the view is $(png_size "$work/view.png")"

# Fonts that are not installed: drawn in installed ones, said once on stderr (each name once),
# the exit status unchanged; info marks each such item. Installed fonts give no line.
[ ! -s "$work/err.txt" ] || fail "a label in installed fonts gave: $(cat "$work/err.txt")"
cat >"$work/windows.json" <<'JSON'
{
  "TextItems": [
    {"Text": "ラベル", "Left": 20, "Top": 30, "Size": 40, "Color": 0, "FontName": "ＭＳ ゴシック"},
    {"Text": "二行目", "Left": 20, "Top": 50, "Size": 40, "Color": 0, "FontName": "ＭＳ ゴシック"},
    {"Text": "別名", "Left": 20, "Top": 70, "Size": 40, "Color": 0, "FontName": "IPA明朝"}
  ]
}
JSON
expect_status 0 create --json "$work/windows.json" "$work/windows.gpc"
expect_status 0 render "$work/windows.gpc" "$work/windows.pdf"
[ "$(wc -l <"$work/err.txt")" -eq 1 ] && [ "$(grep -o 'ＭＳ ゴシック' "$work/err.txt" | wc -l)" -eq 1 ] &&
    ! grep -q 'IPA明朝' "$work/err.txt" ||
    fail "render of a label in Windows fonts said: $(cat "$work/err.txt")"
expect_status 0 info "$work/windows.gpc"
[ "$(grep -c 'not installed; drawn in' "$work/out.txt")" -eq 2 ] ||
    fail "info of a label in Windows fonts: $(cat "$work/out.txt")"

# Usage errors: 2, nothing written.
expect_status 2 render
expect_status 2 render "$label"
expect_status 2 render --bogus 1 "$label" "$work/x.png"
expect_status 2 render "$label" "$work/x.jpg"
expect_status 2 render --dpi 0 "$label" "$work/x.png"
expect_status 2 render --dpi many "$label" "$work/x.png"
expect_status 2 render --page 0x297 "$label" "$work/x.pdf"
expect_status 2 render --page A4 "$label" "$work/x.pdf"
expect_status 2 render --offset 10 "$label" "$work/x.pdf"
expect_status 2 render --offset nan,1 "$label" "$work/x.pdf"
expect_status 2 render --dpi 300 "$label" "$work/x.pdf"
expect_status 2 render --view 500 "$label" "$work/x.pdf"
expect_status 2 render --view 500 --offset 1,1 "$label" "$work/x.png"
expect_status 2 render --view 3 "$label" "$work/x.png"
expect_status 2 render --offset
[ ! -e "$work/x.png" ] && [ ! -e "$work/x.pdf" ] || fail "a usage error left an output file"

# Refusals: 1, and an existing output stays as it was.
cp "$work/page.png" "$work/kept.png"
expect_status 1 render "$work/missing.gpc" "$work/kept.png"
printf 'not a label file' >"$work/junk.gpc"
expect_status 1 render "$work/junk.gpc" "$work/kept.png"
cmp -s "$work/page.png" "$work/kept.png" || fail "a refused render changed the existing output"
expect_status 1 render "$label" "$work/no such folder/out.png"
expect_status 1 render "$label" "$work/no such folder/out.pdf"
leftovers=$(find "$work" -name '*.png.*' -o -name '*.pdf.*' -o -name '.*' -type f)
[ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"

# Sheets of stickers: every medium listed (a broken file of the user's named once on stderr, still
# exit 0); --sheet takes a listed name in any case and the sheet's page; the tray by name draws
# what no --sheet draws; merge fills a sheet and a half from --start; wrong options are usage
# errors.
export XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_DATA_HOME/Gyroplatecomposer/sheets"
printf '{' >"$XDG_DATA_HOME/Gyroplatecomposer/sheets/broken.json"
expect_status 0 sheets
[ "$(wc -l <"$work/out.txt")" -eq 10 ] || fail "sheets listed $(wc -l <"$work/out.txt") media"
grep -qx 'Avery L6015: page 210 x 297 mm, outer 117.00 mm, hole 41.00 mm, labels at (105.00, 79.90), (105.00, 218.33)' \
    "$work/out.txt" || fail "sheets: $(cat "$work/out.txt")"
[ "$(wc -l <"$work/err.txt")" -eq 1 ] && grep -q 'broken.json: left out: not JSON' "$work/err.txt" ||
    fail "sheets said on stderr: $(cat "$work/err.txt")"
expect_status 0 render --sheet "avery l6015" "$label" "$work/l6015.pdf"
[ "$(page_size "$work/l6015.pdf")" = "595.276x841.89" ] || [ "$(page_size "$work/l6015.pdf")" = "595x842" ] ||
    fail "Avery L6015's page is $(page_size "$work/l6015.pdf")"
expect_status 0 render --sheet "Avery 5931" --positions 2 --scale 101,99.5 "$label" "$work/5931.pdf"
[ "$(page_size "$work/5931.pdf")" = "612x792" ] || fail "Avery 5931's page is $(page_size "$work/5931.pdf")"
expect_status 0 render --sheet disc --dpi 50 "$label" "$work/tray.png"
expect_status 0 render --dpi 50 "$label" "$work/plain.png"
cmp -s "$work/tray.png" "$work/plain.png" || fail "--sheet disc changed the page"
expect_status 0 alignment --sheet "Memorex CD labels" --offset 1,-1 "$work/memorex.pdf"
printf 'name\nA\nB\nC\n' >"$work/rows.csv"
expect_status 0 merge --sheet "Avery L6015" --start 2 "$label" "$work/rows.csv" "$work/merged.pdf"
[ "$(pdfinfo "$work/merged.pdf" | awk '/^Pages:/ { print $2 }')" = 2 ] || fail "three rows from label 2 are not two sheets"
expect_status 2 render --sheet "No such sheet" "$label" "$work/x.pdf"
expect_status 2 render --sheet "Avery L6015" --page 210x297 "$label" "$work/x.pdf"
expect_status 2 render --sheet "Avery L6015" --positions 3 "$label" "$work/x.pdf"
expect_status 2 render --sheet "Avery L6015" --positions 1,1 "$label" "$work/x.pdf"
expect_status 2 render --scale 80,100 "$label" "$work/x.pdf"
expect_status 2 render --label --sheet "Avery L6015" "$label" "$work/x.pdf"
expect_status 2 merge --sheet "Avery L6015" --start 3 "$label" "$work/rows.csv" "$work/x.pdf"
expect_status 2 merge --positions 2 --start 1 --sheet "Avery L6015" "$label" "$work/rows.csv" "$work/x.pdf"
expect_status 2 merge --each "$work/each" --sheet "Avery L6015" "$label" "$work/rows.csv"
expect_status 2 sheets --all
[ ! -e "$work/x.pdf" ] && [ ! -e "$work/each" ] || fail "a usage error left an output"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "gpctool render: all checks passed"
