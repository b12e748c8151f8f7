#!/usr/bin/env bash
# Puts a built exe into the release folder as quellix-detect-VERSION-x64.exe,
# signs it with Authenticode when a certificate is given, and writes
# SHA256SUMS for the file as published (signed or not).
#   release-package.sh EXE VERSION DIST_DIR
# Signing (all optional; without QD_SIGN_PFX the release is unsigned):
#   QD_SIGN_PFX        the code-signing certificate and its key, a PKCS#12 file
#   QD_SIGN_PASSWORD   the PKCS#12 file's password
#   QD_SIGN_TIMESTAMP  an RFC 3161 time-stamp server, so that the signature
#                      stays valid after the certificate expires
#   QD_SIGN_CAFILE     the root (and intermediates) to check the new signature
#                      against; by default the certificates in QD_SIGN_PFX
set -euo pipefail
exe=${1:?exe} version=${2:?version} dist=${3:?dist folder}
name=quellix-detect-$version-x64.exe

mkdir -p "$dist"
rm -f "$dist/$name" "$dist/SHA256SUMS"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if [ -n "${QD_SIGN_PFX:-}" ]; then
  [ -f "$QD_SIGN_PFX" ] || { echo "release: QD_SIGN_PFX: no such file: $QD_SIGN_PFX" >&2; exit 1; }
  # The password goes through a file readable only by us, not the command line.
  (umask 077; printf '%s' "${QD_SIGN_PASSWORD:-}" > "$tmp/password")
  sign=(osslsigncode sign -pkcs12 "$QD_SIGN_PFX" -readpass "$tmp/password" -h sha256 -n "Quellix Detect")
  [ -n "${QD_SIGN_TIMESTAMP:-}" ] && sign+=(-ts "$QD_SIGN_TIMESTAMP")
  if ! "${sign[@]}" -in "$exe" -out "$tmp/$name" >"$tmp/log" 2>&1; then
    cat "$tmp/log" >&2
    echo "release: signing failed" >&2
    exit 1
  fi
  # Check the new signature before publishing it: against QD_SIGN_CAFILE, or
  # else against every certificate in the PKCS#12 file.
  pfx_certificates() {  # OUT [OPTION]: older PKCS#12 files need -legacy
    openssl pkcs12 -in "$QD_SIGN_PFX" -passin "file:$tmp/password" -nokeys -out "$@" 2>/dev/null ||
      openssl pkcs12 -legacy -in "$QD_SIGN_PFX" -passin "file:$tmp/password" -nokeys -out "$@"
  }
  pfx_certificates "$tmp/signer.pem" -clcerts
  cafile=${QD_SIGN_CAFILE:-$tmp/certificates.pem}
  [ -n "${QD_SIGN_CAFILE:-}" ] || pfx_certificates "$cafile"
  if ! osslsigncode verify -in "$tmp/$name" -CAfile "$cafile" >"$tmp/log" 2>&1; then
    cat "$tmp/log" >&2
    echo "release: the signed exe does not verify against $cafile" >&2
    exit 1
  fi
  mv "$tmp/$name" "$dist/$name"
  signer=$(openssl x509 -in "$tmp/signer.pem" -noout -subject -nameopt oneline | sed 's/^subject= *//')
  state="signed (Authenticode, SHA-256) by $signer"
else
  cp "$exe" "$dist/$name"
  state="UNSIGNED: no certificate given (QD_SIGN_PFX); Windows will warn whoever downloads it"
fi

(cd "$dist" && sha256sum "$name" > SHA256SUMS)
echo "release: $dist/$name"
echo "release: $(stat -c %s "$dist/$name") bytes, $state"
echo "release: sha256 $(cut -d' ' -f1 "$dist/SHA256SUMS")"
