#!/usr/bin/env bash
# completion.sh COMPLETION QUORVANECTL: what the bash completion offers for a table of command lines.
set -o pipefail
source "$1"
quorvanectl=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-completion.XXXXXX")
trap 'rm -rf "$work"' EXIT
touch "$work/adb-custom" "$work/record.json"
# A program with commands quorvanectl does not have: the completion follows whichever program it completes.
cat >"$work/other" <<'SCRIPT'
#!/bin/sh
[ "$1" = --help ] || exit 2
printf 'Usage: other [--json] COMMAND\n\nCommands:\n  brandnew MODE   a command\n\nOptions:\n  --json   JSON\n'
SCRIPT
chmod +x "$work/other"

# program | command line typed so far (a trailing space starts a new word) | the offers, sorted
cases=(
    "$quorvanectl|quorvanectl re|recommend remembered"
    "$quorvanectl|quorvanectl --json de|desktop devices"
    "$quorvanectl|quorvanectl --adb $work/adb-custom d|desktop devices doctor"
    "$quorvanectl|quorvanectl --adb $work/ad|$work/adb-custom"
    "$quorvanectl|quorvanectl args $work/re|$work/record.json"
    "$quorvanectl|quorvanectl desktop probe R58M --y|--yes"
    "$quorvanectl|quorvanectl inspect R58M --y|"
    "$quorvanectl|quorvanectl mirror R58M --r|--record"
    "$quorvanectl|quorvanectl mirror R58M --live s|showTouches stayAwake"
    "$quorvanectl|quorvanectl mirror --mode=cr|--mode=creator"
    "$quorvanectl|quorvanectl mirror --mode = d|desktop"
    "$quorvanectl|quorvanectl mirror --config=$work/re|--config=$work/record.json"
    "$quorvanectl|quorvanectl -s R58M desktop |enable probe restore"
    "$quorvanectl|quorvanectl mirror -|--adb --camera-facing --camera-id --camera-size --config --crop --fullscreen --help --json --live --max-fps --max-size --mode --new-display --no-audio --no-fallback --no-learn --preset --record --scrcpy --show-touches --stay-awake --turn-screen-off --version --video-bit-rate --video-codec -h -s"
    "$quorvanectl|quorvanectl mirror --record $work/re|"
    "$quorvanectl|quorvanectl screenshot --display-id |"
    "$quorvanectl|quorvanectl help mi|mirror"
    "$quorvanectl|quorvanectl help mirror |"
    "$work/other|other b|brandnew"
    "$work/other|other r|"
)

failures=0
for row in "${cases[@]}"; do
    IFS='|' read -r program line expected <<<"$row"
    read -ra COMP_WORDS <<<"$line"
    COMP_WORDS[0]=$program
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quorvanectl 2>/dev/null
    actual=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd ' ')
    if [[ $actual != "$expected" ]]; then
        echo "FAIL: '$line' offered '$actual', expected '$expected'"
        failures=$((failures + 1))
    fi
done
echo "${#cases[@]} command lines, $failures wrong"
[[ $failures -eq 0 ]]
