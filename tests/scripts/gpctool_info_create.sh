#!/usr/bin/env bash
# gpctool info and create on documents made by hand: exact bytes, exact JSON, round trips,
# refusals with one line on stderr and the right exit status.
# Also checks that the reader's fuzz seeds are what gpctool create makes today; run with
# GPC_WRITE_SEEDS=1 to rewrite them after a deliberate change of the format's writer.
set -euo pipefail
: "${GPCTOOL:?GPCTOOL must name the gpctool binary}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
# Without a runtime folder Qt warns at start-up; the tool must keep that off its stderr.
unset XDG_RUNTIME_DIR

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run STATUS ARGS...: runs gpctool, keeps out/err, checks the exit status. A run that hangs is
# ended (status 124) rather than holding up the suite.
run() {
  local expected="$1"
  shift
  local status=0
  timeout 60 "$GPCTOOL" "$@" >out 2>err || status=$?
  if [ "$status" -ne "$expected" ]; then
    fail "gpctool $* exited $status, expected $expected; stderr: $(cat err)"
    return 1
  fi
}

# refused ARGS...: exit status 1 with exactly one line on stderr.
refused() {
  run 1 "$@" || return 0
  [ "$(wc -l <err)" -eq 1 ] || fail "gpctool $*: expected one line on stderr, got: $(cat err)"
}

# record HEX: one 128-byte record, the value followed by zero bytes.
record() {
  local value
  value="$(printf '%s' "$1" | tr -d ' ' | sed 's/../\\x&/g')"
  printf "$value" >value.bin
  cat value.bin
  head -c $((128 - $(stat -c %s value.bin))) /dev/zero
}

# ---- The worked example, byte for byte, and its JSON --------------------------------------

cat >example.json <<'EOF'
{"BackWidth": 122, "BackHeight": 122,
 "TextItems": [{"Text": "abc", "Left": 10, "Top": 20, "Width": 8.5, "Height": 4,
                "Size": 40, "Color": 4, "FontName": "F"}]}
EOF
{
  record "1b00$(printf 'Gyroplatecomposer Save File' | od -An -tx1 | tr -d ' \n')"
  record "0000"
  record "00000000 00000000 0000f442 0000f442"
  record "01000000"
  record "ffffffff"
  record "0300616263 00002041 0000a041 00000841 00008040 28000000 04000000 010046"
  record "00000000"
} >expected.gpc
run 0 create --json example.json example.gpc
cmp example.gpc expected.gpc || fail "worked example differs from the expected bytes"

cat >expected.json <<'EOF'
{
  "ScaleStep": 0,
  "BackLeft": 0,
  "BackTop": 0,
  "BackWidth": 122,
  "BackHeight": 122,
  "TextCount": 1,
  "SelectedText": -1,
  "TextItems": [
    {"Text": "abc", "Left": 10, "Top": 20, "Width": 8.5, "Height": 4, "Size": 40, "Color": 4, "FontName": "F"}
  ],
  "PictureBytes": 0
}
EOF
run 0 info --json example.gpc && { diff out expected.json || fail "info --json output differs"; }
run 0 info example.gpc && {
  grep -q 'text items: *1, selected: none' out || fail "summary lacks the item count"
  grep -q '\[0\] "abc" at 10, 20 mm' out || fail "summary lacks the item"
}

# ---- Round trips: Japanese text, awkward floats, a picture ---------------------------------

cat >japanese.json <<'EOF'
{"ScaleStep": -37, "BackLeft": 0.1, "BackTop": -0, "BackWidth": 3.4028235e+38,
 "BackHeight": 1e-7, "SelectedText": 1, "PictureBytes": 12345,
 "TextItems": [
  {"Text": "株式会社 髙橋〜①㈱", "Left": 61.000004, "Top": 0.3, "Size": 24, "Color": 15,
   "FontName": "IPAGothic"},
  {"Text": "tab\tquote\"back\\slash", "FontName": "DejaVu Sans", "Color": 12}]}
EOF
head -c 4321 /dev/urandom >picture.bin
run 0 create --json japanese.json --picture picture.bin japanese.gpc
[ "$(stat -c %s japanese.gpc)" -eq $((100000 + 4321 - 1)) ] || fail "picture file size"
cmp <(tail -c +100000 japanese.gpc) picture.bin || fail "picture bytes not at offset 99999"
run 0 info --json japanese.gpc && cp out japanese-out.json
grep -q '"Text": "株式会社 髙橋～①㈱"' japanese-out.json || fail "Japanese text did not round-trip"
grep -q '"PictureBytes": 4321' japanese-out.json || fail "PictureBytes"
grep -q '"BackLeft": 0.1,' japanese-out.json || fail "0.1 not printed shortest"
run 0 create --json japanese-out.json --picture picture.bin again.gpc
cmp japanese.gpc again.gpc || fail "info --json | create does not reproduce the file"


# ---- Refusals: exit 1, one line, nothing written -------------------------------------------

cp example.gpc keep.gpc
echo '{"TextItems": [{"Text": "café"}]}' >accent.json
refused create --json accent.json keep.gpc
grep -q 'U+00E9' err || fail "the refused character is not named"
long="$(printf 'あ%.0s' $(seq 50))"
echo "{\"TextItems\": [{\"Text\": \"ok\"}, {\"Text\": \"$long\", \"FontName\": \"F\"}]}" >long.json
refused create --json long.json keep.gpc
refused create --json example.json --picture vanished.png keep.gpc
# The file cannot hold a one-byte picture (it would read back as none), and an empty file is no
# picture at all: neither makes a document without one in silence.
printf 'x' >one.bin
refused create --json example.json --picture one.bin keep.gpc
grep -q 'one byte' err || fail "the one-byte picture is not named"
: >empty.bin
refused create --json example.json --picture empty.bin keep.gpc
grep -q 'empty' err || fail "the empty picture file is not named"
echo '{"Backleft": 1}' >typo.json
refused create --json typo.json keep.gpc
echo '{"TextCount": 2, "TextItems": [{}]}' >count.json
refused create --json count.json keep.gpc
echo '{"SelectedText": 0}' >selection.json
refused create --json selection.json keep.gpc
echo '{"TextItems": [{"Size": 1.5}]}' >size.json
refused create --json size.json keep.gpc
echo '{"BackLeft": 1e39}' >huge.json
refused create --json huge.json keep.gpc
echo '{"TextItems": [' >broken.json
refused create --json broken.json keep.gpc
refused create --json missing.json keep.gpc
cmp keep.gpc example.gpc || fail "a refused create changed the existing file"
# A temporary file of an abandoned save would show up here.
[ -z "$(ls -A | grep -v -E '\.(json|gpc|bin)$|^out$|^err$|^runtime$')" ] ||
  fail "a refused create left a file behind: $(ls -A)"

refused info expected.json
refused info missing.gpc
head -c 700 example.gpc >short.gpc
refused info short.gpc
head -c 100500 japanese.gpc >cut.gpc
refused info cut.gpc
grep -q 'cut short' err || fail "a cut picture is not reported as such"
# What is not a regular file is refused at once, never read: these would block or never end.
mkfifo fifo.gpc
refused info fifo.gpc
refused info /dev/zero
refused info .

# ---- Usage ---------------------------------------------------------------------------------

run 2 info
run 2 info --json
run 2 info a.gpc b.gpc
run 2 create example.gpc
run 2 create --json example.json
run 2 create --json example.json --colour red out.gpc
run 0 --help && { grep -q 'gpctool create --json' out || fail "--help"; }
run 0 --version

# ---- Fuzz seeds ----------------------------------------------------------------------------

if [ -n "${GPC_SOURCE_DIR:-}" ]; then
  seeds="$GPC_SOURCE_DIR/fuzz/corpus/fuzz_label_reader"
  echo '{}' >empty.json
  items=""
  for i in $(seq 0 99); do
    items="$items${items:+,}{\"Text\": \"項目 $i\", \"Left\": $i.5, \"Size\": $((i + 8)), \"Color\": $((i % 16)), \"FontName\": \"IPAMincho\"}"
  done
  echo "{\"SelectedText\": 99, \"TextItems\": [$items]}" >hundred.json
  head -c 64 /dev/zero | tr '\0' 'p' >small-picture.bin
  run 0 create --json empty.json seed-empty.gpc
  cp example.gpc seed-worked-example.gpc
  run 0 create --json japanese.json seed-japanese.gpc
  run 0 create --json hundred.json seed-hundred.gpc
  run 0 create --json example.json --picture small-picture.bin seed-picture.gpc
  for seed in seed-*.gpc; do
    name="${seed#seed-}"
    if [ "${GPC_WRITE_SEEDS:-}" = 1 ]; then
      mkdir -p "$seeds"
      cp "$seed" "$seeds/$name"
    else
      cmp "$seed" "$seeds/$name" || fail "fuzz seed $name is not what gpctool create makes"
    fi
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "gpctool info/create: all checks passed"
