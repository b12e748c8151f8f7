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

# field LINE KEY: the value of KEY=... in a winspy line (text= takes the rest
# of the line). These helpers start no process: on a busy machine each one
# started costs tens of ms, and the scripts act in phases of a second.
field() {
  case $2 in
    text) printf '%s\n' "${1#* text=}" ;;
    *) [[ " $1" =~ \ $2=([^ ]*) ]] && printf '%s\n' "${BASH_REMATCH[1]}" ;;
  esac
  return 0
}

# line_of SNAPSHOT PREFIX: the first line that begins with PREFIX.
line_of() {
  local s=$'\n'$1
  [[ $s == *$'\n'"$2"* ]] || return 0
  s=${s#*$'\n'"$2"}
  printf '%s%s\n' "$2" "${s%%$'\n'*}"
}
# child SNAPSHOT ID: the line of one control.
child() { line_of "$1" "child id=$2 "; }
window_line() { line_of "$1" 'window '; }
text_of() { field "$(child "$1" "$2")" text; }
visible_of() { field "$(child "$1" "$2")" visible; }
role_of() { field "$(child "$1" "$2")" role; }

# The limits of the waits here and below are only there to end a run that
# went wrong, so they are generous.

snap=  # the last snapshot a wait took

# Waits until control ID's text matches the grep pattern PATTERN (at most $3 s);
# fails when it never does. The last snapshot is left in $snap. It polls with
# `spy`, a Wine program that takes some 80 ms on an idle machine and over a
# second on a busy one: it suits a state that stays once reached. A state that
# lasts a second or less (a count of a countdown, the scan) can pass between
# two snapshots: a script that waits for one, or acts in one, reads the watch
# (further below) instead.
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
# never does. The last snapshot is left in $snap. Like wait_text, for a focus
# that stays once there (a phase that waits for the user).
wait_focus() {
  local id=$1 limit=${2:-15} t0
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

# ---- The watch ------------------------------------------------------------------
# `winspy --watch` runs beside the exe for the whole run and records every
# change of the window with its time (ms since it first saw the window), so
# a state of a second is not missed between two snapshots, and a wait that
# reads the record starts no Wine program. A script acts in phases of a second
# or two, on a machine where each process started can cost tens of ms: the
# helpers below start none.

watch=       # the record of the current run
watch_mark=0 # the lines the record had at the last mark (see watch_wait)

# start_watch FILE [MS]: starts winspy --watch in the background (for at most
# MS, 120 s by default), its lines going to FILE, and waits until it runs:
# from then on it sees the window as soon as it shows.
start_watch() {
  local _
  watch=$1 watch_mark=0
  wine "$spy_exe" --watch "${2:-120000}" 2>/dev/null >"$watch" &
  watch_pid=$!
  for _ in $(seq 600); do [ -s "$watch" ] && return 0; nap 0.05; done
  fail "winspy --watch did not start"
}

# Starts a watch with a record of its own, then the exe (see start_exe).
watch_runs=0
start_watched_exe() {
  watch_runs=$((watch_runs + 1))
  start_watch "$QD_SESSION/watch-$watch_runs.txt"
  start_exe "$@"
}

# A pipe no one writes to: a read on it that times out is a sleep without a process.
exec {nap_fd}<> <(:)
nap() { read -r -t "$1" -u "$nap_fd" _ || :; }

# The record's whole lines (a line being written is left out), in the array
# record.
read_record() {
  local all= IFS=$'\n' globbing=1
  record=()
  IFS= read -r -d '' all <"$watch" || :
  [[ $all == *$'\n'* ]] || return 0
  [[ $- == *f* ]] && globbing=0
  set -f  # split at the line ends only (mapfile would read a byte at a time)
  record=(${all%$'\n'*})
  [ "$globbing" = 1 ] && set +f
  return 0
}

# Marks the record's end: the waits after it look for a state that began
# after it, or that held at it. Mark before acting, then wait for the effect.
mark() {
  read_record
  watch_mark=${#record[@]}
}

# watch_state WHEN [ID PATTERN]: sets state to the window as the record shows
# it, as lines like spy's, after a line "t=T" with the record's time of the
# match (of the first or last line for "first" and "last"):
#   first         as first recorded
#   last          as last recorded
#   during ID P   while control ID showed the first text, since the mark, that
#                 matched the regex P: as it stood until ID's line changed
#                 again (or now, when it has not), so that the other controls
#                 of the same phase are read once they have settled
#   before ID P   just before ID first showed it
# ID "window" matches P against the window's line instead of a text. The line
# current at the mark counts: its state held then. Fails (status 1) when the
# record shows no such text yet, with status 2 once the record has ended.
watch_state() {
  local when=$1 id=${2:-} pat=${3:-} i n=0 hit ended=0 end key
  local -a T=() K=() L=() R=()
  local -A S=()
  state=
  read_record
  for ((i = 0; i < ${#record[@]}; i++)); do
    [[ ${record[i]} =~ ^t=([0-9]+)\ ([a-z]+)(\ id=(-?[0-9]+))? ]] || continue
    T[n]=${BASH_REMATCH[1]} R[n]=$((i + 1)) L[n]=${record[i]#* }
    case ${BASH_REMATCH[2]} in
      child) K[n]=${BASH_REMATCH[4]} ;;
      gone | timeout) K[n]=${BASH_REMATCH[2]} ended=1 ;;
      *) K[n]=${BASH_REMATCH[2]} ;;
    esac
    n=$((n + 1))
  done
  ((n > 0)) || return $((1 + ended))
  hit=$((n - 1)) end=$((T[n - 1] + 1))
  [ "$when" = first ] && hit=0 end=$((T[0] + 1))
  if [ "$when" != last ] && [ "$when" != first ]; then
    hit=-1
    for ((i = 0; i < n && R[i] <= watch_mark; i++)); do [ "${K[i]}" = "$id" ] && hit=$i; done
    ((hit >= 0)) && ! record_matches "$hit" && hit=-1
    for ((i = 0; i < n && hit < 0; i++)); do
      ((R[i] > watch_mark)) && [ "${K[i]}" = "$id" ] && record_matches "$i" && hit=$i
    done
    ((hit >= 0)) || return $((1 + ended))
    end=${T[hit]}
    if [ "$when" = during ]; then
      end=$((T[n - 1] + 1))
      for ((i = hit + 1; i < n; i++)); do
        case ${K[i]} in "$id" | gone | timeout) end=${T[i]}; break ;; esac
      done
    fi
  fi
  for ((i = 0; i < n && T[i] < end; i++)); do
    case ${K[i]} in gone | timeout) ;; *) S[${K[i]}]=${L[i]} ;; esac
  done
  state="t=${T[hit]}"
  for key in "${!S[@]}"; do state+=$'\n'${S[$key]}; done
  return 0
}
# record_matches I: line I of watch_state's (its text, or the window's line) matches pat.
record_matches() {
  local line=${L[$1]}
  if [ "${K[$1]}" != window ]; then [[ $line == *" text="* ]] && line=${line#* text=} || line=; fi
  [[ $line =~ $pat ]]
}

# watch_wait ID PATTERN [LIMIT]: waits (at most LIMIT s, 15 by default) until
# the record shows control ID's text matching PATTERN (a regex) since the
# mark; fails when it does not, or when the window went without. Leaves the
# window as the record shows it then ("during", above) in $snap and the
# record's time of the match in $seen_t.
watch_wait() {
  local id=$1 pattern=$2 limit=${3:-15} until now status
  until=${EPOCHREALTIME/[.,]/}
  until=$((${until%???} + limit * 1000))
  while :; do
    watch_state during "$id" "$pattern"; status=$?
    snap=$state
    if [ "$status" = 0 ]; then seen_t=${snap%%$'\n'*} seen_t=${seen_t#t=}; return 0; fi
    [ "$status" = 2 ] && return 1
    now=${EPOCHREALTIME/[.,]/}
    ((${now%???} < until)) || return 1
    nap 0.02
  done
}

# watch_focus ID [LIMIT]: like watch_wait, for control ID having the keyboard focus.
watch_focus() { watch_wait window " focus=$1 " "${2:-15}"; }

# act COMMAND...: marks the record, notes the moment in t0 (Unix ms) and on
# the record's time line in acted_t, and runs COMMAND (a key, a click). The
# log shows when the script acted, to read beside the record in the session.
act() {
  mark
  t0=$(now_ms)
  "$@"
  local line= seen=
  while IFS= read -r line; do [[ $line == "seen unix_ms="* ]] && { seen=${line#*=}; break; }; done <"$watch"
  acted_t=$(( t0 - ${seen:-$t0} ))
  echo "at t=$acted_t of ${watch##*/}: $1 ${*: -1}"
}

# wait_watched_exe LIMIT: wait_exe for a watched run, then the watch's end.
# exe_status becomes the program's own exit code as the watch recorded it (as
# Windows reports it): on a busy machine the Wine process has been seen to end
# by SIGKILL (137 to the shell) after the window had closed as usual.
wait_watched_exe() {
  local line code=
  wait_exe "$1"
  wait "$watch_pid"
  while IFS= read -r line; do [[ $line == "exit code="* ]] && code=${line#*=}; done <"$watch"
  [ "$exe_status" = 124 ] && return 1  # ended by wait_exe: that is the result
  if [ -n "$code" ] && [ "$code" != "$exe_status" ]; then
    echo "the program ended with exit code $code (Wine's process: $exe_status)"
    exe_status=$code
  fi
  return 0
}

# The record's time the window went, once it has.
gone_time() {
  local i
  read_record
  for ((i = ${#record[@]} - 1; i >= 0; i--)); do
    [[ ${record[i]} =~ ^t=([0-9]+)\ gone$ ]] && { echo "${BASH_REMATCH[1]}"; break; }
  done
  return 0
}

# A change is recorded when the read that saw it ended, never before it
# happened, and on a busy machine up to some hundreds of ms after (a read
# waits its turn like every process): two changes the program spaced by D may
# show as little as D - late apart.
late=400

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
