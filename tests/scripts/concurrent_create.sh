#!/usr/bin/env bash
# Two gpctool create processes writing the same target at the same moment, round after round:
# afterwards the target is always exactly one of the two complete documents (never a mixture,
# never cut short), both processes report success, and nothing is left beside the target.
set -euo pipefail
: "${GPCTOOL:?GPCTOOL must name the gpctool binary}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

rounds="${GPC_CONCURRENT_ROUNDS:-20}"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Pictures large enough that the two writes overlap; create stores any bytes as the picture.
head -c $((12 * 1024 * 1024)) /dev/urandom >a.pic
head -c $((9 * 1024 * 1024)) /dev/urandom >b.pic
cat >a.json <<'EOF'
{"BackWidth": 122, "BackHeight": 122, "SelectedText": 0,
 "TextItems": [{"Text": "first writer", "Left": 10, "Top": 20, "Size": 24, "FontName": "IPAGothic"}]}
EOF
cat >b.json <<'EOF'
{"ScaleStep": 40, "BackWidth": 61, "BackHeight": 61,
 "TextItems": [{"Text": "second writer", "Left": 30, "Top": 40, "Size": 18, "FontName": "IPAMincho"},
               {"Text": "and another item", "Left": 30, "Top": 60, "Size": 12, "Color": 4}]}
EOF
mkdir reference
"$GPCTOOL" create --json a.json --picture a.pic reference/a.gpc
"$GPCTOOL" create --json b.json --picture b.pic reference/b.gpc
mkdir target

seen_a=0
seen_b=0
for round in $(seq 1 "$rounds"); do
  "$GPCTOOL" create --json a.json --picture a.pic target/label.gpc 2>a.err &
  first=$!
  "$GPCTOOL" create --json b.json --picture b.pic target/label.gpc 2>b.err &
  second=$!
  wait "$first" || fail "round $round: the first writer failed: $(cat a.err)"
  wait "$second" || fail "round $round: the second writer failed: $(cat b.err)"

  if cmp -s target/label.gpc reference/a.gpc; then
    seen_a=$((seen_a + 1))
  elif cmp -s target/label.gpc reference/b.gpc; then
    seen_b=$((seen_b + 1))
  else
    fail "round $round: the target is neither complete document ($(stat -c %s target/label.gpc) bytes)"
  fi
  "$GPCTOOL" info target/label.gpc >/dev/null || fail "round $round: the target does not read back"
  leftovers="$(ls -A target | grep -vx 'label.gpc' || true)"
  [ -z "$leftovers" ] || fail "round $round: left beside the target: $leftovers"
done

echo "rounds: $rounds; last writer was the first $seen_a times, the second $seen_b times"
if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
