#!/usr/bin/env bash
# Signs Windows programs and DLLs in place with Authenticode (SHA-256), timestamped by an
# RFC 3161 server so that the signatures stay valid after the certificate expires:
#   sign.sh CERTIFICATE.pfx TIMESTAMP_URL FILE...
# The certificate's password comes from TALVEX_SIGN_PASSWORD (empty for none), never from the
# command line, where every user of the machine can read it.
set -euo pipefail
if [ $# -lt 3 ]; then
    echo "usage: sign.sh CERTIFICATE.pfx TIMESTAMP_URL FILE..." >&2
    exit 2
fi
pfx=$1
timestamp_url=$2
shift 2
fail() {
    echo "sign.sh: $*" >&2
    exit 1
}
[ -f "$pfx" ] || fail "no certificate file '$pfx'"
[ -n "${TALVEX_SIGN_PASSWORD+set}" ] ||
    fail "TALVEX_SIGN_PASSWORD is not set: set it to the password of $pfx (empty if it has none)"
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (Debian: apt-get install osslsigncode)"

for file in "$@"; do
    signed="$file.signed"
    log="$file.signing.log"
    rm -f "$signed"
    # The password through a descriptor: printf is the shell's own, so no process shows it.
    if ! osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "$TALVEX_SIGN_PASSWORD") \
        -h sha256 -n "Talvex Press" -ts "$timestamp_url" -in "$file" -out "$signed" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$signed" "$log"
        fail "could not sign $file (certificate $pfx, timestamp server $timestamp_url)"
    fi
    rm -f "$log"
    mv -f "$signed" "$file"
    echo "Signed $(basename "$file")"
done
