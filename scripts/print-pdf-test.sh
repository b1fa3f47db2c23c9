#!/usr/bin/env bash
# The real print test: runs PROGRAM (tests/app/win/PrintPdfTest.cpp) under Wine with the prefix
# PREFIX; it prints the folder information and a tree branch on the default printer and lists the
# texts they must show. Then waits for the two PDFs that the cups-pdf printer writes to ~/PDF (the
# account's home, not $HOME) and looks for each text in them with pdftotext. Exits 77 (skipped)
# with the reason when there is no PDF printer: scripts/pdf-printer.sh makes one.
#
#   scripts/print-pdf-test.sh PROGRAM PREFIX
set -u -o pipefail
program=$1
prefix=$2
root=$(cd "$(dirname "$0")/.." && pwd)
skip() {
    echo "print test skipped: $*"
    exit 77
}
command -v pdftotext >/dev/null || skip "pdftotext is missing (poppler-utils, scripts/deps.sh)"
lpstat -r 2>/dev/null | grep -q "is running" || skip "the CUPS scheduler is not running (scripts/pdf-printer.sh)"
lpstat -d 2>/dev/null | grep -q "system default destination" ||
    skip "there is no default printer (scripts/pdf-printer.sh adds the PDF printer)"
# cups-pdf writes to ~/PDF of the job's user as the account database names it, not to $HOME
# (which may point elsewhere, e.g. a fresh empty home on a new CI machine).
out=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/start"
sleep 1  # a PDF of this run is strictly newer than the marker
expected=$work/expected.txt
export QV_PRINT_EXPECTED="Z:${expected//\//\\}"
log=$work/program.log
bash "$root/scripts/wine-run.sh" "$prefix" "$program" >"$log" 2>&1
status=$?
cat "$log"
grep -q "\[  SKIPPED \]" "$log" && skip "the program found no printer under Wine"
[ $status -eq 0 ] || { echo "print test: the program failed ($status)"; exit 1; }
[ -s "$expected" ] || { echo "print test: the program listed no expected texts"; exit 1; }

# cups-pdf writes each job when it has converted it: wait up to a minute for both.
pdfs=()
for _ in $(seq 1 600); do
    mapfile -t pdfs < <(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work/start" 2>/dev/null | sort)
    [ ${#pdfs[@]} -ge 2 ] && break
    sleep 0.1
done
if [ ${#pdfs[@]} -lt 2 ]; then
    echo "print test: expected two new PDFs in $out, found ${#pdfs[@]}"
    exit 1
fi
sleep 1  # the last one may still be being written
text=$work/text.txt
for pdf in "${pdfs[@]}"; do
    echo "print test: $pdf"
    # The printer's PostScript names the hyphen's glyph so that it reads back as a soft hyphen.
    pdftotext -layout "$pdf" - | sed 's/\xc2\xad/-/g' >>"$text" ||
        { echo "print test: pdftotext cannot read $pdf"; exit 1; }
done
missing=0
while IFS= read -r line; do
    [ -z "$line" ] && continue
    if ! grep -qF -- "$line" "$text"; then
        echo "print test: not in the PDFs: $line"
        missing=1
    fi
done <"$expected"
[ $missing -eq 0 ] || { echo "--- PDF text ---"; cat "$text"; exit 1; }
echo "print test: all $(grep -c . "$expected") texts found in ${#pdfs[@]} PDFs"
rm -f "${pdfs[@]}"  # a failed run keeps them to be looked at
