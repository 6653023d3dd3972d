#!/usr/bin/env bash
# Fails when a manual page and its program's usage text name different commands, or give a
# command different options or words: the page's SYNOPSIS section is read from its scdoc
# source, the usage text from the program's --help.
#   man_synopsis_test.sh PAGE.1.scd PROGRAM
set -euo pipefail
page=$1
program=$2
name=$(basename "$page" .1.scd)

# Synopsis lines on standard input, one form a line (a "|" between two forms of the program
# splits them); writes "COMMAND WORD" for every option and literal word of each form, and
# "COMMAND" alone, sorted.
forms() {
  sed -e 's/^usage://' -e 's/++$//' -e 's/[*_\\]//g' -e "s/ | $name / \\n$name /g" |
    tr '[]|' '   ' |
    awk -v name="$name" '$1 == name && NF >= 2 {
      print $2
      for (i = 3; i <= NF; ++i) if ($i ~ /^(--)?[a-z][a-z0-9-]*(\.\.\.)?$/) print $2, $i
    }' | sort -u
}

from_page=$(sed -n '/^# SYNOPSIS/,/^# /p' "$page" | forms)
from_usage=$("$program" --help | forms)
if [ -z "$from_usage" ]; then
  echo "$program --help names no command" >&2
  exit 1
fi
if [ "$from_page" != "$from_usage" ]; then
  echo "$page and $program --help differ (< page, > usage):" >&2
  diff <(echo "$from_page") <(echo "$from_usage") >&2 || true
  exit 1
fi
echo "$name: $(echo "$from_usage" | wc -l) commands and words agree"
