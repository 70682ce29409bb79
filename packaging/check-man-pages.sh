#!/bin/sh
# check-man-pages.sh PAGE...: each manual page formats without a warning from man and groff, and
# its NAME line says what the command does (help2man's stand-in "manual page for" says nothing).
set -u
failed=0
for page in "$@"; do
    if ! text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"$page.warnings") ||
        [ -s "$page.warnings" ] || [ -z "$text" ]; then
        echo "FAIL: $page does not format cleanly:" >&2
        cat "$page.warnings" >&2
        failed=1
    elif printf '%s\n' "$text" | grep -q 'manual page for'; then
        echo "FAIL: $page has no NAME of its own" >&2
        failed=1
    fi
    rm -f "$page.warnings"
done
[ $# -gt 0 ] && [ $failed -eq 0 ] && echo "$# manual pages format cleanly"
