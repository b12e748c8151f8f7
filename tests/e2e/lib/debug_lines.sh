# The program's debug output (one line per absent finding, written with
# OutputDebugStringW), as Wine shows it on stderr with WINEDEBUG=warn+seh:
#   0024:warn:seh:OutputDebugStringA "Quellix Detect: storage: PhysicalDrive0..15: ..."
# debug_lines LOG: the lines, without Wine's frame, one a line.
debug_lines() {
  grep -a -o 'OutputDebugStringA "Quellix Detect: .*"$' "$1" | sed 's/^OutputDebugStringA "//; s/"$//; s/\\"/"/g'
}

# The link's keys, one a line: "src", "v", "cpu", ...
link_keys() { printf '%s\n' "${1#*\?}" | tr '&' '\n' | cut -d= -f1; }

# The finding each key of the link carries, as the debug lines name it.
finding_of_key() {
  case $1 in
    cpu) echo processor ;; gpu) echo graphics ;; ram) echo "memory size" ;; w | h) echo "display size" ;;
    hz) echo "refresh rate" ;; disk) echo storage ;; pp) echo "power plan" ;; pm) echo "power mode" ;;
    gm) echo "game mode" ;; hags) echo "gpu scheduling" ;; dvr) echo "game capture" ;;
    vbs) echo "memory integrity" ;; wo) echo "windowed optimizations" ;; macc) echo "mouse acceleration" ;;
    hzmax) echo "highest refresh rate" ;; free) echo "free space" ;; bat) echo battery ;;
    ramr) echo "memory rated speed" ;; ramc) echo "memory configured speed" ;; drv) echo "driver date" ;;
    os) echo "windows build" ;;
  esac
}
all_finding_keys="cpu gpu ram w hz disk pp pm gm hags dvr vbs wo macc hzmax free bat ramr ramc drv os"
