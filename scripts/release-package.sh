#!/usr/bin/env bash
# Puts a built exe into the release folder as quellix-detect-VERSION-x64.exe,
# signs it with Authenticode when a certificate is given, and writes
# SHA256SUMS for the file as published (signed or not). Given the field kit's
# exe as well, also writes quellix-detect-VERSION-fieldkit.zip (the kit and
# README-fieldkit.txt), byte for byte the same for the same inputs.
#   release-package.sh EXE VERSION DIST_DIR [REPORT_EXE]
# Signing (all optional; without QD_SIGN_PFX the release is unsigned):
#   QD_SIGN_PFX        the code-signing certificate and its key, a PKCS#12 file
#   QD_SIGN_PASSWORD   the PKCS#12 file's password
#   QD_SIGN_TIMESTAMP  an RFC 3161 time-stamp server, so that the signature
#                      stays valid after the certificate expires
#   QD_SIGN_CAFILE     the root (and intermediates) to check the new signature
#                      against; by default the certificates in QD_SIGN_PFX
set -euo pipefail
exe=${1:?exe} version=${2:?version} dist=${3:?dist folder} report_exe=${4:-}
name=quellix-detect-$version-x64.exe
kit=quellix-detect-$version-fieldkit.zip
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$dist"
rm -f "$dist/$name" "$dist/$kit" "$dist/SHA256SUMS"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# sign IN OUT: IN signed into OUT, and the new signature checked against
# QD_SIGN_CAFILE, or else against every certificate in the PKCS#12 file.
sign() {
  local sign_cmd=(osslsigncode sign -pkcs12 "$QD_SIGN_PFX" -readpass "$tmp/password" -h sha256 -n "Quellix Detect")
  [ -n "${QD_SIGN_TIMESTAMP:-}" ] && sign_cmd+=(-ts "$QD_SIGN_TIMESTAMP")
  if ! "${sign_cmd[@]}" -in "$1" -out "$2" >"$tmp/log" 2>&1; then
    cat "$tmp/log" >&2
    echo "release: signing $(basename "$1") failed" >&2
    exit 1
  fi
  if ! osslsigncode verify -in "$2" -CAfile "$cafile" >"$tmp/log" 2>&1; then
    cat "$tmp/log" >&2
    echo "release: the signed $(basename "$1") does not verify against $cafile" >&2
    exit 1
  fi
}

if [ -n "${QD_SIGN_PFX:-}" ]; then
  [ -f "$QD_SIGN_PFX" ] || { echo "release: QD_SIGN_PFX: no such file: $QD_SIGN_PFX" >&2; exit 1; }
  # The password goes through a file readable only by us, not the command line.
  (umask 077; printf '%s' "${QD_SIGN_PASSWORD:-}" > "$tmp/password")
  pfx_certificates() {  # OUT [OPTION]: older PKCS#12 files need -legacy
    openssl pkcs12 -in "$QD_SIGN_PFX" -passin "file:$tmp/password" -nokeys -out "$@" 2>/dev/null ||
      openssl pkcs12 -legacy -in "$QD_SIGN_PFX" -passin "file:$tmp/password" -nokeys -out "$@"
  }
  if ! pfx_certificates "$tmp/signer.pem" -clcerts; then
    echo "release: cannot read $QD_SIGN_PFX (wrong password?)" >&2
    exit 1
  fi
  cafile=${QD_SIGN_CAFILE:-$tmp/certificates.pem}
  [ -n "${QD_SIGN_CAFILE:-}" ] || pfx_certificates "$cafile"
  sign "$exe" "$tmp/$name"
  # The field kit's exe is signed the same way, before it goes into the zip.
  if [ -n "$report_exe" ]; then
    sign "$report_exe" "$tmp/quellix-report.exe"
    report_exe=$tmp/quellix-report.exe
  fi
  mv "$tmp/$name" "$dist/$name"
  signer=$(openssl x509 -in "$tmp/signer.pem" -noout -subject -nameopt oneline | sed 's/^subject= *//')
  state="signed (Authenticode, SHA-256) by $signer"
else
  cp "$exe" "$dist/$name"
  state="UNSIGNED: no certificate given (QD_SIGN_PFX); Windows will warn whoever downloads it"
fi

published=("$name")
if [ -n "$report_exe" ]; then
  # Fixed time stamps, order and attributes, so the zip depends on its two
  # files only; the text gets Windows line ends for Notepad.
  python3 - "$report_exe" "$here/../resources/README-fieldkit.txt" "$dist/$kit" <<'PY'
import sys, zipfile
exe, readme, out = sys.argv[1:4]
text = open(readme, 'rb').read().replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
entries = [('README-fieldkit.txt', text), ('quellix-report.exe', open(exe, 'rb').read())]
with zipfile.ZipFile(out, 'w') as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0
        info.external_attr = 0
        z.writestr(info, data, compresslevel=9)
PY
  published+=("$kit")
  echo "release: $dist/$kit, $(stat -c %s "$dist/$kit") bytes, quellix-report.exe $([ -n "${QD_SIGN_PFX:-}" ] && echo signed || echo unsigned)"
fi

(cd "$dist" && sha256sum "${published[@]}" > SHA256SUMS)
echo "release: $dist/$name"
echo "release: $(stat -c %s "$dist/$name") bytes, $state"
echo "release: sha256 $(head -n 1 "$dist/SHA256SUMS" | cut -d' ' -f1)"
[ -z "$report_exe" ] || echo "release: fieldkit sha256 $(sed -n 2p "$dist/SHA256SUMS" | cut -d' ' -f1)"
