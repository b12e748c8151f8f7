#!/usr/bin/env bash
# Signing a release: with a throw-away self-signed code-signing certificate,
# release-package.sh signs the exe, the signature verifies against that
# certificate and not against another, SHA256SUMS is that of the signed file,
# removing the signature gives back the built exe byte for byte, a wrong
# password publishes nothing, and the signed exe runs under Wine to the end.
# The field kit's exe (quellix-report.exe beside EXE) is signed in its zip too.
#   signed.sh EXE VERSION       (QD_WIN, QD_WORK as for the Wine tests)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1 version=$2
report_exe=$(dirname "$exe")/quellix-report.exe
: "${QD_WORK:?}" "${QD_WIN:?}"
name=quellix-detect-$version-x64.exe

failures=0
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi; }

mkdir -p "$QD_WORK"
work=$(mktemp -d "$QD_WORK/signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# A code-signing certificate valid for two days, its key in a PKCS#12 file.
certificate() {  # NAME SUBJECT
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "$2" -keyout "$1.key" -out "$1.pem" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -out "$1.pfx" -passout pass:"test password $1"
}
certificate ours "/CN=Quellix Detect test signing" || { echo "FAIL: openssl made no certificate"; exit 1; }
certificate other "/CN=Someone else"

export QD_SIGN_PFX=$work/ours.pfx QD_SIGN_PASSWORD="test password ours"
unset QD_SIGN_CAFILE QD_SIGN_TIMESTAMP
"$here/../../scripts/release-package.sh" "$exe" "$version" dist "$report_exe" > package.log 2>&1
check "release-package.sh signs (exit $?)" [ $? -eq 0 ]
cat package.log
signed=dist/$name
check "the release says it is signed by the certificate" grep -q 'signed (Authenticode, SHA-256) by CN = Quellix Detect test signing' package.log

osslsigncode verify -in "$signed" -CAfile ours.pem > verify.log 2>&1
check "osslsigncode verify against the certificate succeeds" [ $? -eq 0 ]
check "the signature uses SHA-256" grep -q 'Message digest algorithm *: SHA256' verify.log
check "and does not verify against another certificate" bash -c '! osslsigncode verify -in "$1" -CAfile other.pem >/dev/null 2>&1' _ "$signed"
check "SHA256SUMS is the signed file's" bash -c 'cd dist && sha256sum --quiet -c SHA256SUMS'
check "the signed file is not the unsigned one" bash -c '! cmp -s "$1" "$2"' _ "$exe" "$signed"
osslsigncode remove-signature -in "$signed" -out stripped.exe >/dev/null 2>&1
check "without its signature it is the built exe byte for byte" cmp -s stripped.exe "$exe"

# The field kit: its exe in the zip is signed by the same certificate, and is the built one underneath.
python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("quellix-report.exe"))' \
  "dist/quellix-detect-$version-fieldkit.zip" > kit.exe
check "the field kit's exe verifies against the certificate" osslsigncode verify -in kit.exe -CAfile ours.pem
osslsigncode remove-signature -in kit.exe -out kit-stripped.exe >/dev/null 2>&1
check "without its signature it is the built quellix-report.exe" cmp -s kit-stripped.exe "$report_exe"

QD_SIGN_PASSWORD="wrong" "$here/../../scripts/release-package.sh" "$exe" "$version" bad "$report_exe" > bad.log 2>&1
check "a wrong password fails (exit $?)" [ $? -ne 0 ]
check "and publishes neither exe, kit nor checksum" bash -c '[ ! -e "$1" ] && [ ! -e "$2" ] && [ ! -e "$3" ]' _ "bad/$name" bad/SHA256SUMS "bad/quellix-detect-$version-fieldkit.zip"

# The signed exe, run as a user would: it scans, opens the link and ends with 0.
"$here/../wine/session.sh" --e2e "$here/run-exe.sh" "$work/$signed" "$version"
check "the signed exe runs under Wine to the end" [ $? -eq 0 ]

if [ "$failures" -eq 0 ]; then echo "1 passed, 0 failed"; exit 0; fi
echo "0 passed, 1 failed ($failures checks)"
exit 1
