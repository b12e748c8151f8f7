# Helpers for the window's end-to-end scripts, on top of tests/wine/e2e-lib.sh:
# reading the window with winspy, keys and clicks, pixels of screenshots, and
# registry set-up of the session's prefix.
. "$(dirname "${BASH_SOURCE[0]}")/../../wine/e2e-lib.sh"

# The window's control ids, read from the program's own header so that the
# scripts and the program name the same controls.
ids_header=$(dirname "${BASH_SOURCE[0]}")/../../../src/gui/window_ids.h
control_id() { sed -n "s/^inline constexpr int $1 = \([0-9]*\);.*/\1/p" "$ids_header"; }
id_primary=$(control_id primary)
id_secondary=$(control_id secondary)
id_header=$(control_id header)
id_first_label=$(control_id first_label)
id_first_value=$(control_id first_value)
id_message=$(control_id message)
id_link_box=$(control_id link_box)
id_footnote=$(control_id footnote)
[ -n "$id_primary" ] && [ -n "$id_footnote" ] || { echo "cannot read the control ids from $ids_header"; exit 1; }
value_id() { echo $((id_first_value + $1)); }  # the value control of row $1
label_id() { echo $((id_first_label + $1)); }

spy_exe=$QD_WIN/winspy.exe
shots=$QD_SESSION/shots
mkdir -p "$shots"

# One snapshot of the window (see tests/tools/winspy.cpp for the format).
spy() { wine "$spy_exe" "$@" 2>/dev/null; }

# Starts `winspy --watch` in the background; its lines go to $1.
start_watch() { wine "$spy_exe" --watch "${2:-30000}" 2>/dev/null > "$1" & watch_pid=$!; }

# field LINE KEY: the value of KEY=... in a winspy line (text= takes the rest of the line).
field() {
  case $2 in
    text) printf '%s\n' "${1#* text=}" ;;
    *) printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p" | head -n 1 ;;
  esac
}

# child SNAPSHOT ID: the line of one control.
child() { printf '%s\n' "$1" | grep -m1 "^child id=$2 "; }
window_line() { printf '%s\n' "$1" | grep -m1 '^window '; }
text_of() { field "$(child "$1" "$2")" text; }
visible_of() { field "$(child "$1" "$2")" visible; }
role_of() { field "$(child "$1" "$2")" role; }

# The waits below poll with `spy`, a Wine program that takes some 80 ms on an
# idle machine and several times that on a busy one; their limits are only
# there to end a run that went wrong, so they are generous.

snap=  # the last snapshot a wait below took

# Waits until control ID's text matches the grep pattern PATTERN (at most $3 s);
# fails when it never does. The last snapshot is left in $snap.
wait_text() {
  local id=$1 pattern=$2 limit=${3:-15} t0
  t0=$(now_ms)
  while :; do
    snap=$(spy)
    text_of "$snap" "$id" | grep -q -- "$pattern" && return 0
    [ $(( $(now_ms) - t0 )) -ge $((limit * 1000)) ] && return 1
    sleep 0.05
  done
}

# Waits until control ID has the keyboard focus (at most $2 s); fails when it
# never does. The last snapshot is left in $snap.
wait_focus() {
  local id=$1 limit=${2:-10} t0
  t0=$(now_ms)
  while :; do
    snap=$(spy)
    [ "$(field "$(window_line "$snap")" focus)" = "$id" ] && return 0
    [ $(( $(now_ms) - t0 )) -ge $((limit * 1000)) ] && return 1
    sleep 0.05
  done
}

# Waits until the window is gone (at most $1 s).
wait_gone() {
  local limit=${1:-15} t0
  t0=$(now_ms)
  until window_gone; do
    [ $(( $(now_ms) - t0 )) -ge $((limit * 1000)) ] && return 1
    sleep 0.05
  done
}

# Clicks the middle of control ID, whose place is read from SNAPSHOT.
click_control() {
  local line x y w h
  line=$(child "$1" "$2")
  x=$(field "$line" sx); y=$(field "$line" sy); w=$(field "$line" w); h=$(field "$line" h)
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
}

key() { xdotool key "$@"; }

# The client area's top-left corner on the screen, from any child's line: "X Y".
client_origin() {
  local line
  line=$(child "$1" 100)
  echo $(( $(field "$line" sx) - $(field "$line" x) )) $(( $(field "$line" sy) - $(field "$line" y) ))
}

# pixel SHOT X Y: the colour at a screen point as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }

# region_has SHOT X Y W H RRGGBB: some pixel of the region has the colour.
region_has() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- 2>/dev/null | grep -qi "#$6"
}

# Imports a .reg text (UTF-8 here, written as UTF-16 for Wine's reg).
import_reg() {
  local file=$QD_SESSION/import.reg
  { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\n\n%s\n' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } > "$file"
  wine reg import "$(windows_path "$file")" >/dev/null 2>&1
}

# Percent-encoding as the link writes free text: every byte but A-Z a-z 0-9 - . _ ~
percent_encode() {
  local LC_ALL=C s=$1 out= c i
  for ((i = 0; i < ${#s}; i++)); do
    c=${s:i:1}
    case $c in
      [A-Za-z0-9._~-]) out+=$c ;;
      *) out+=$(printf '%%%02X' "'$c") ;;
    esac
  done
  printf '%s\n' "$out"
}

# The site the build links to, and its host as the window shows it.
site_origin=$(sed -n 's/.*site_origin = "\(.*\)";.*/\1/p' "$QD_WIN/generated/site_origin.h")
site_host=${site_origin#https://}
# The program version the link carries.
program_version=$(sed -n 's/^#define QD_VERSION_TEXT "\(.*\)"$/\1/p' "$QD_WIN/generated/version.h")

# watch_first FILE ID PATTERN: "T TEXT" of the first watch line of control ID
# whose own part matches the grep -E PATTERN (e.g. 'role=4'); nothing if none.
watch_first() {
  local line
  line=$(grep -E "^t=[0-9]+ child id=$2 .*$3" "$1" | head -n 1) || return 0
  [ -n "$line" ] || return 0
  printf '%s %s\n' "$(field "$line" t)" "$(field "$line" text)"
}

# expect WHAT CONDITION: like check, for a condition of several commands
# joined by && or ||, given as one string and evaluated here.
expect() { if eval "$2"; then echo "ok: $1"; else fail "$1"; fi; }

# in_range VALUE LOW HIGH
in_range() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# colours_in SHOT X Y W H RRGGBB...: those of the given colours that some pixel
# of the region has, one a line; nothing when none.
colours_in() {
  local shot=$1 x=$2 y=$3 w=$4 h=$5; shift 5
  local wanted; wanted=$(IFS='|'; echo "$*")
  convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- 2>/dev/null |
    grep -oiE "#($wanted)\b" | tr 'a-f' 'A-F' | sort -u
}

# The window's palette, as RRGGBB.
palette_colours=(1C1C1C 262626 303030 3A3A3A F1F1EF A6A7A2 9FD38A B7E3A4 172014)

# system_colours WINDOW WINDOWTEXT BUTTONFACE BUTTONTEXT HILIGHT HILIGHTTEXT GRAYTEXT
# ("R G B" each): writes the system colours of a theme into the prefix and
# restarts its Wine server, which reads them when it starts.
system_colours() {
  import_reg "[HKEY_CURRENT_USER\\Control Panel\\Colors]
\"Window\"=\"$1\"
\"WindowText\"=\"$2\"
\"ButtonFace\"=\"$3\"
\"ButtonText\"=\"$4\"
\"Hilight\"=\"$5\"
\"HilightText\"=\"$6\"
\"GrayText\"=\"$7\""
  "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w
}

# The test build of the exe: QD_HIGH_CONTRAST=1 in its environment stands in
# for the system's High Contrast setting.
test_exe=$QD_WIN/quellix-detect-test.exe
