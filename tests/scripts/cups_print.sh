#!/usr/bin/env bash
# The print command through a real spooler. Starts a private cupsd (in the foreground, in the
# background of this script: package scripts cannot start services here), adds a cups-pdf queue,
# lets test_printing print a label and the alignment sheet to it through the editor's print path,
# and has it find the PDFs, rasterise them and check the positions; then test_merge prints a
# three-row merged run from the editor, test_print_jobs prints to a second queue and checks
# that every kind of job then starts there, and test_sheets prints both labels of a sticker sheet,
# corrects the first queue's scale from the alignment readings and prints the second queue at its
# own offset. The spooler is stopped and everything removed at the end.
# When the spooler cannot be started the test fails and says why.
set -euo pipefail

fail() {
    echo "cups_print: FAILED: $*" >&2
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root: cupsd and the cups-pdf backend run as root"
for tool in cupsd lpadmin lpstat pdftoppm gs; do
    command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps test"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || fail "the cups-pdf backend is missing (printer-driver-cups-pdf)"
[ -d /etc/cups ] || fail "/etc/cups is missing"
test_program="${GPC_BUILD_DIR:?}/tests/test_printing"
[ -x "$test_program" ] || fail "$test_program is not built"

# Everything of this run lives in its own folder and under its own queue name, so two runs (or a
# system cupsd) never meet.
work=$(mktemp -d /tmp/gpc-cups.XXXXXX)
queue="gpc-test-$$"
second_queue="gpc-test-$$-b"
# cups-pdf reads its settings from /etc/cups only; a file named after the queue applies to it
# alone.
queue_conf="/etc/cups/cups-pdf-$queue.conf"
second_conf="/etc/cups/cups-pdf-$second_queue.conf"
cupsd_pid=""

cleanup() {
    if [ -n "$cupsd_pid" ] && kill -0 "$cupsd_pid" 2>/dev/null; then
        kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    rm -f "$queue_conf" "$second_conf" "/var/log/cups/cups-pdf-${queue}_log" \
        "/var/log/cups/cups-pdf-${second_queue}_log"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The filters run as lp: they need to reach the folders.
chmod 755 "$work"
mkdir -p "$work/etc" "$work/spool" "$work/cache" "$work/state" "$work/log" "$work/out" \
    "$work/out-b" "$work/tmp"
chmod 1777 "$work/tmp"
socket="$work/cups.sock"

cat >"$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Printcap $work/state/printcap
SystemGroup root
User lp
Group lp
CONF
cat >"$work/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel info
Browsing Off
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$queue_conf" <<CONF
Out $work/out
Log $work/log
Grp root
CONF
cat >"$second_conf" <<CONF
Out $work/out-b
Log $work/log
Grp root
CONF

cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$socket"

started=""
for _ in $(seq 1 100); do
    if ! kill -0 "$cupsd_pid" 2>/dev/null; then
        break
    fi
    if lpstat -r 2>/dev/null | grep -q "is running"; then
        started=yes
        break
    fi
    sleep 0.2
done
if [ -z "$started" ]; then
    cat "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null >&2 || true
    fail "the spooler (cupsd) could not be started"
fi

if ! lpadmin -p "$queue" -v "cups-pdf:/$queue" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E 2>"$work/log/lpadmin.err"; then
    cat "$work/log/lpadmin.err" >&2
    fail "could not add the PDF queue"
fi
lpstat -p "$queue" | grep -q enabled || fail "the queue $queue is not enabled"
if ! lpadmin -p "$second_queue" -v "cups-pdf:/$second_queue" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    -E 2>"$work/log/lpadmin.err"; then
    cat "$work/log/lpadmin.err" >&2
    fail "could not add the second PDF queue"
fi
lpadmin -d "$queue" || fail "could not make $queue the default"

output=$(GPC_CUPS_QUEUE="$queue" GPC_CUPS_OUTPUT="$work/out" QT_QPA_PLATFORM=offscreen \
    "$test_program" printsThroughACupsQueue alignmentSheetThroughACupsQueue 2>&1) || {
    echo "$output" >&2
    echo "--- spooler log ---" >&2
    tail -n 40 "$work/log/error_log" >&2 || true
    fail "printing through the queue failed"
}
echo "$output"
# A skip would mean the test never saw the queue.
for test in printsThroughACupsQueue alignmentSheetThroughACupsQueue; do
    grep -q "^PASS   : PrintingTest::$test()" <<<"$output" || fail "$test did not run"
done
echo "cups_print: label printed through queue $queue and checked"

merge_program="${GPC_BUILD_DIR:?}/tests/test_merge"
[ -x "$merge_program" ] || fail "$merge_program is not built"
output=$(GPC_CUPS_QUEUE="$queue" GPC_CUPS_OUTPUT="$work/out" QT_QPA_PLATFORM=offscreen \
    "$merge_program" printsThroughACupsQueue 2>&1) || {
    echo "$output" >&2
    tail -n 40 "$work/log/error_log" >&2 || true
    fail "printing a merged run through the queue failed"
}
echo "$output"
grep -q "^PASS   : MergeTest::printsThroughACupsQueue()" <<<"$output" ||
    fail "the merged round trip did not run"
echo "cups_print: three merged rows printed through queue $queue"

jobs_program="${GPC_BUILD_DIR:?}/tests/test_print_jobs"
[ -x "$jobs_program" ] || fail "$jobs_program is not built"
output=$(GPC_CUPS_QUEUE="$queue" GPC_CUPS_SECOND_QUEUE="$second_queue" QT_QPA_PLATFORM=offscreen \
    "$jobs_program" thePrinterChosenLastIsRemembered 2>&1) || {
    echo "$output" >&2
    tail -n 40 "$work/log/error_log" >&2 || true
    fail "remembering the printer chosen last failed"
}
echo "$output"
grep -q "^PASS   : PrintJobsTest::thePrinterChosenLastIsRemembered()" <<<"$output" ||
    fail "the remembered printer was not checked"
echo "cups_print: the printer chosen last ($second_queue) is where the next jobs start"

sheets_program="${GPC_BUILD_DIR:?}/tests/test_sheets"
[ -x "$sheets_program" ] || fail "$sheets_program is not built"
output=$(GPC_CUPS_QUEUE="$queue" GPC_CUPS_SECOND_QUEUE="$second_queue" GPC_CUPS_OUTPUT="$work/out" \
    GPC_CUPS_SECOND_OUTPUT="$work/out-b" QT_QPA_PLATFORM=offscreen \
    "$sheets_program" sheetsThroughACupsQueue 2>&1) || {
    echo "$output" >&2
    tail -n 40 "$work/log/error_log" >&2 || true
    fail "printing on a sheet through the queues failed"
}
echo "$output"
grep -q "^PASS   : SheetsTest::sheetsThroughACupsQueue()" <<<"$output" ||
    fail "the sheet round trip did not run"
echo "cups_print: a sheet's labels printed through $queue, its scale corrected, $second_queue at its own offset"
