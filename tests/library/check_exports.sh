#!/bin/sh
# Checks that a built library exports exactly one name, Projektdatei_erstellen,
# undecorated (no _ prefix, no @16), so callers that look it up by name find it.
#   check_exports.sh objdump FILE.dll     (PE export table)
#   check_exports.sh nm FILE.so           (ELF dynamic symbols)
tool=$1 file=$2
case "$tool" in
*objdump*)
    names=$("$tool" -p "$file" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        grep '\[' | grep -v 'Ordinal/Name' | sed 's/.*\] *//') ;;
*)
    names=$("$tool" -D --defined-only "$file" | awk '$2 ~ /^[TDBW]$/ {print $3}') ;;
esac
echo "exports of $file:"
echo "$names"
[ "$names" = "Projektdatei_erstellen" ] || { echo "FAIL: expected exactly Projektdatei_erstellen"; exit 1; }
echo "OK"
