#!/usr/bin/env bash
# The release is reproducible: two release builds of this source, from clean
# copies in two folders of different names and lengths, with no compiler
# cache, give the same exe byte for byte. Also checks what makes that so and
# what the release folder holds: no link time in the PE header, no build
# folder in the exe, the versioned name, SHA256SUMS that matches, and an
# unsigned release that says so.
#   reproducible.sh SOURCE WORK_DIR VERSION
set -uo pipefail
src=$1 work=$2 version=$3
name=quellix-detect-$version-x64.exe
kit=quellix-detect-$version-fieldkit.zip

failures=0
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi; }

# Each build compiles every file itself, and signs nothing.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER QD_SIGN_PFX QD_SIGN_PASSWORD
export CCACHE_DISABLE=1

# A clean copy: what git tracks or would track (no build output), else the
# tree without build folders.
copy_source() {
  mkdir -p "$1"
  if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z -co --exclude-standard |
       while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
       tar --null -T - -cf -) | tar -xf - -C "$1"
  else
    (cd "$src" && tar --exclude='./build*' --exclude=./dist --exclude=./.git -cf - .) | tar -xf - -C "$1"
  fi
}

rm -rf "$work"
copies=("$work/a" "$work/second-copy/in-a-longer-folder")
for copy in "${copies[@]}"; do
  copy_source "$copy"
  # At the usual priority: at the lowest, any other busy process on the
  # machine starves it past its time limit (two busy loops did), and the Wine
  # tests beside it check nothing that needs the CPU to themselves.
  if ! "$copy/scripts/release.sh" "$copy/build/release" "$copy/dist" >"$copy.log" 2>&1; then
    tail -n 30 "$copy.log"
    echo "FAIL: release build in $copy"
    exit 1
  fi
  echo "built in $copy: $(grep '^release:' "$copy.log" | tr '\n' ' ')"
done
a=${copies[0]}/dist/$name b=${copies[1]}/dist/$name

check "release folder holds $name" [ -f "$a" ]
check "the two builds are equal byte for byte" cmp -s "$a" "$b"
if ! cmp -s "$a" "$b"; then
  echo "$(cmp -l "$a" "$b" | wc -l) bytes differ; the first (offset, octal a, octal b):"
  cmp -l "$a" "$b" | head -n 10
fi

ka=${copies[0]}/dist/$kit kb=${copies[1]}/dist/$kit
check "release folder holds $kit" [ -f "$ka" ]
check "the two field kits are equal byte for byte" cmp -s "$ka" "$kb"
check "the field kit holds the report exe and its text" \
  bash -c '[ "$(python3 -c "import sys, zipfile; print(*zipfile.ZipFile(sys.argv[1]).namelist())" "$1")" = "README-fieldkit.txt quellix-report.exe" ]' _ "$ka"

# The PE header's TimeDateStamp: 4 bytes, 8 after the "PE\0\0" signature.
for built in "$a" "${copies[0]}/build/release/quellix-report.exe"; do
  pe_offset=$(od -An -tu4 -j60 -N4 "$built" | tr -d ' ')
  stamp=$(od -An -tu4 -j$((pe_offset + 8)) -N4 "$built" | tr -d ' ')
  check "no link time in the PE header of ${built##*/} (TimeDateStamp $stamp)" [ "$stamp" = 0 ]
  check "no build folder in ${built##*/}" bash -c '! grep -a -q -e "$1" -e "$2" "$3"' _ "$work" "$src" "$built"
done

for copy in "${copies[@]}"; do
  check "SHA256SUMS in $copy/dist matches its exe" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$copy/dist"
  check "the release says it is unsigned" grep -q 'UNSIGNED' "$copy.log"
done
echo "exe: $(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -d' ' -f1)"
echo "field kit: $(stat -c %s "$ka") bytes, sha256 $(sha256sum "$ka" | cut -d' ' -f1)"

if [ "$failures" -eq 0 ]; then rm -rf "$work"; echo "reproducible"; exit 0; fi
echo "$failures checks failed; the builds are kept in $work"
exit 1
