#!/usr/bin/env bash
# Makes the packages with a code-signing certificate of its own, timestamped by a timestamp
# server of its own on this machine, and checks that every file Windows will judge carries a
# valid signature with its timestamp: the program (in the zip and in the setup), the setup,
# each plug-in DLL in it and the uninstaller it writes.
#   check-signatures.sh SOURCE_DIR CMAKE GENERATOR TOOLCHAIN_FILE MAKENSIS PROGRAM
# PROGRAM is the stripped TalvexPress.exe of a build; the packages are made from it by a
# second configuration of the source, in a throw-away folder.
set -u
source_dir=$1
cmake=$2
generator=$3
toolchain=$4
makensis=$5
program=$6

for tool in openssl osslsigncode python3 7z unzip; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/setup-debian.sh)"; exit 1; }
done

work=$(mktemp -d)
timestamp_server=
cleanup() {
    [ -n "$timestamp_server" ] && kill "$timestamp_server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A root, a code-signing certificate and a timestamping certificate under it, all RSA (Smart
# App Control takes no other key), and the code-signing pair as the PKCS#12 file a publisher
# has, with a password the shell could mangle.
password='pa$$ "wörd" \ ; x'
issue() { # name subject extensions
    printf '%b\n' "$3" >"$1.ext"
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" &&
        openssl x509 -req -in "$1.csr" -CA root.pem -CAkey root.key -CAcreateserial -days 2 \
            -extfile "$1.ext" -out "$1.pem"
}
{
    openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
        -subj "/CN=Talvex Test Root" -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign,cRLSign &&
        issue signer "/CN=Talvex Test Publisher" \
            'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning' &&
        issue tsa "/CN=Talvex Test Timestamps" \
            'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping' &&
        openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem \
            -passout fd:3 -out signer.pfx 3< <(printf '%s' "$password")
} >certificates.log 2>&1 || { cat certificates.log; echo "FAIL: openssl could not make the certificates"; exit 1; }

# The timestamp server: RFC 3161 over HTTP, answered by openssl ts.
cat >tsa.cnf <<EOF
[tsa]
default_tsa = talvex
[talvex]
serial = $work/tsa.serial
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
certs = $work/root.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.4146.2.3
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
echo 01 >tsa.serial
cat >tsa.py <<'EOF'
import http.server, subprocess, sys
config, port_file = sys.argv[1], sys.argv[2]
class TimestampServer(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        answer = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile",
                                 "/dev/stdin", "-out", "/dev/stdout"], input=query,
                                capture_output=True)
        self.send_response(200 if answer.returncode == 0 and answer.stdout else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer.stdout)))
        self.end_headers()
        self.wfile.write(answer.stdout)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), TimestampServer)
with open(port_file + ".part", "w") as f:
    f.write(str(server.server_port))
import os; os.rename(port_file + ".part", port_file)
server.serve_forever()
EOF
python3 tsa.py "$work/tsa.cnf" "$work/tsa.port" >tsa.log 2>&1 &
timestamp_server=$!
for _ in $(seq 1 100); do
    [ -f tsa.port ] && break
    kill -0 "$timestamp_server" 2>/dev/null || break
    sleep 0.1
done
[ -f tsa.port ] || { cat tsa.log; echo "FAIL: the timestamp server did not start"; exit 1; }
timestamp_url="http://127.0.0.1:$(cat tsa.port)"

# The packages, made by the build as a release would be.
build="$work/build"
if ! "$cmake" -S "$source_dir" -B "$build" -G "$generator" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DTALVEX_TESTS=OFF -DTALVEX_MAKENSIS="$makensis" -DTALVEX_PACKAGE_PROGRAM="$program" \
    -DTALVEX_SIGN_PFX="$work/signer.pfx" -DTALVEX_TIMESTAMP_URL="$timestamp_url" >configure.log 2>&1 ||
    ! TALVEX_SIGN_PASSWORD=$password "$cmake" --build "$build" --target packages >build.log 2>&1; then
    cat configure.log build.log 2>/dev/null
    echo "FAIL: the signed packages were not made"
    exit 1
fi
grep -rqF -- "$password" "$build" && fail "the certificate's password was written into the build tree"

zip=$(ls "$build"/package/TalvexPress-*-portable.zip)
setup=$(ls "$build"/package/TalvexPress-*-setup.exe)
mkdir zip setup
unzip -q "$zip" TalvexPress.exe -d zip
7z x -y -osetup "$setup" >7z.log || { cat 7z.log; fail "7z could not unpack the setup"; }

check_signature() {
    local file=$1 report
    if [ ! -f "$file" ]; then
        fail "${file#"$work"/} is missing"
        return
    fi
    report=$(osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in "$file" 2>&1)
    local status=$?
    local what=${file#"$work"/}
    [ $status -eq 0 ] && grep -q '^Signature verification: ok' <<<"$report" ||
        { echo "$report"; fail "$what: its signature does not verify"; return; }
    grep -q 'Subject: /CN=Talvex Test Publisher' <<<"$report" ||
        fail "$what is not signed with the given certificate"
    grep -q '^Timestamp Server Signature verification: ok' <<<"$report" ||
        fail "$what: no valid timestamp"
    echo "signed and timestamped: $what"
}
check_signature "$work/zip/TalvexPress.exe"
check_signature "$setup"
check_signature "$work/setup/TalvexPress.exe"
# 7-Zip gives the uninstaller byte for byte as the setup writes it.
check_signature "$work/setup/Uninstall.exe"
plugins=("$work"/setup/\$PLUGINSDIR/*.dll)
[ -f "${plugins[0]}" ] || fail "the setup holds no plug-in DLL: the check cannot see them"
for plugin in "${plugins[@]}"; do
    [ -f "$plugin" ] && check_signature "$plugin"
done

[ "$failures" -eq 0 ] || exit 1
echo "OK: every file of the packages is signed and timestamped"
