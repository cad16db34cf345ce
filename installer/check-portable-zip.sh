#!/usr/bin/env bash
# Checks the portable zip: exactly the program and its two read-mes, the read-mes in the form
# Notepad shows correctly (UTF-8 with a byte-order mark, CR LF line ends), the program a
# stripped 64-bit Windows executable.
#   check-portable-zip.sh TalvexPress-<version>-portable.zip
set -u
zip=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$zip" ] || { echo "FAIL: no $zip"; exit 1; }

names=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = "LISEZMOI.txt README.txt TalvexPress.exe " ] ||
    fail "the zip holds '$names', not exactly LISEZMOI.txt README.txt TalvexPress.exe"

check_readme() {
    local name=$1 must=$2 text
    text=$(mktemp)
    unzip -p "$zip" "$name" >"$text"
    [ "$(head -c 3 "$text" | od -An -tx1 | tr -d ' \n')" = "efbbbf" ] ||
        fail "$name does not start with the UTF-8 byte-order mark"
    iconv -f UTF-8 -t UTF-8 "$text" >/dev/null 2>&1 || fail "$name is not valid UTF-8"
    local lines crlf
    lines=$(wc -l <"$text")
    crlf=$(grep -c $'\r$' "$text")
    [ "$lines" -gt 10 ] && [ "$lines" -eq "$crlf" ] ||
        fail "$name: $crlf of its $lines lines end with CR LF"
    [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' \n')" = "0d0a" ] || fail "$name: no CR LF at its end"
    grep -q '@[A-Z_]*@' "$text" && fail "$name: a placeholder was left unfilled"
    grep -q 'Talvex Press 1\.00\.0010' "$text" || fail "$name does not name the version 1.00.0010"
    grep -q "$must" "$text" || fail "$name does not say '$must'"
    grep -q 'Quitter' "$text" || fail "$name does not say how to quit"
    grep -q 'Windows 10 version 1607 (build 14393)' "$text" ||
        fail "$name does not say which Windows the program needs"
    rm -f "$text"
}
check_readme LISEZMOI.txt 'Rien n.est écrit sur le disque'
check_readme README.txt 'Nothing is written to disk'

# PE: "MZ", then at e_lfanew "PE\0\0" and the COFF header; stripped means no symbol table.
exe=$(mktemp)
unzip -p "$zip" TalvexPress.exe >"$exe"
u16() { od -An -tu2 -j "$2" -N 2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N 4 "$1" | tr -d ' '; }
if [ "$(head -c 2 "$exe")" != "MZ" ]; then
    fail "TalvexPress.exe is not a Windows executable"
else
    pe=$(u32 "$exe" 60)
    [ "$(od -An -tx1 -j "$pe" -N 4 "$exe" | tr -d ' \n')" = "50450000" ] || fail "no PE header"
    [ "$(u16 "$exe" $((pe + 4)))" = "34404" ] || fail "TalvexPress.exe is not x86-64"
    [ "$(u32 "$exe" $((pe + 12)))" = "0" ] && [ "$(u32 "$exe" $((pe + 16)))" = "0" ] ||
        fail "TalvexPress.exe still has its symbol table (not stripped)"
fi
echo "TalvexPress.exe in the zip: $(stat -c %s "$exe") bytes"
rm -f "$exe"

[ "$failures" -eq 0 ] || exit 1
echo "OK: $zip"
