#!/usr/bin/env bash
# Makes a PDF printer the default printer for the print test: starts the CUPS daemon when it is
# not running and adds the cups-pdf printer "PDF" (printed pages land in ~/PDF of the printing
# user) when it is absent. Needs the packages cups and printer-driver-cups-pdf (scripts/deps.sh)
# and the rights to run cupsd and lpadmin (root). Exits 0 with a ready default printer, else 1
# with the reason: the print test then skips itself.
set -u
printer=PDF
if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
    echo "pdf-printer: CUPS is not installed (scripts/deps.sh installs it)" >&2
    exit 1
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    cupsd >/dev/null 2>&1 || { echo "pdf-printer: cupsd did not start (run as root)" >&2; exit 1; }
    for _ in $(seq 1 50); do  # up to 5 s for the scheduler to answer
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.1
    done
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "pdf-printer: the CUPS scheduler does not answer" >&2
    exit 1
fi
if ! lpstat -p "$printer" >/dev/null 2>&1; then
    ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt.ppd/ {print $1; exit}')
    if [ -z "$ppd" ] || ! lpadmin -p "$printer" -v cups-pdf:/ -m "$ppd" -E >/dev/null 2>&1; then
        echo "pdf-printer: the printer $printer could not be added" >&2
        exit 1
    fi
fi
lpadmin -d "$printer" >/dev/null 2>&1 || true
cupsenable "$printer" >/dev/null 2>&1 || true
cupsaccept "$printer" >/dev/null 2>&1 || true
lpstat -d 2>/dev/null | grep -q "$printer" || { echo "pdf-printer: $printer is not the default printer" >&2; exit 1; }
exit 0
