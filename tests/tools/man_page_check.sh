#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Holds a program's man page to its --help: every option --help names is in the page, every
# option the page describes is in --help, and the page lists the same world settings (name
# and default) and the same signals. The page must also render without a warning.
#
#   tests/tools/man_page_check.sh <program> <page>
set -uo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <program> <page>" >&2
    exit 2
fi
program=$1
page=$2
fail() {
    echo "man page check: FAILED: $*" >&2
    exit 1
}

help=$("$program" --help) || fail "$program --help ended with status $?"
text=$(MANWIDTH=200 man -E UTF-8 -l -Tutf8 "$page" 2>/dev/null | col -b) || fail "man cannot read $page"
[ -n "$text" ] || fail "man shows nothing of $page"
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns about $page: $warnings"

options() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
# The options the page describes: the tags of its .TP paragraphs.
described=$(grep -A1 '^\.TP' "$page" | grep -E '^\.BI? +\\-\\-' | sed 's/\\-/-/g' | options)
missing=$(comm -23 <(options <<<"$help") <(options <<<"$text"))
[ -z "$missing" ] || fail "$page does not name: $missing"
unknown=$(comm -13 <(options <<<"$help") <(echo "$described"))
[ -z "$unknown" ] || fail "$page describes options --help does not name: $unknown"

# Settings are "  name   default" lines in --help and "name<TAB>default" rows in the page.
settings_help=$(grep -E '^  [a-z][A-Za-z]+ +[0-9][0-9.e+-]*$' <<<"$help" | awk '{print $1, $2}' | sort)
settings_page=$(grep -E $'^[a-z][A-Za-z]+\t[0-9][0-9.e+-]*$' "$page" | awk '{print $1, $2}' | sort)
[ "$settings_help" = "$settings_page" ] ||
    fail "the settings differ: $(diff <(echo "$settings_help") <(echo "$settings_page") | grep '^[<>]')"

signals() { grep -oE 'SIG[A-Z]+' | grep -vx SIGNALS | sort -u; }
[ "$(signals <<<"$help")" = "$(signals <<<"$text")" ] ||
    fail "the signals differ: --help names $(signals <<<"$help" | xargs), the page $(signals <<<"$text" | xargs)"
echo "man page check: passed ($page)"
