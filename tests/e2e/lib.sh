# Shared steps of the end-to-end scenarios: a private Xvfb display with openbox,
# a copy of the built program directory, real X input through xdotool, and
# checks that end the scenario with one sentence of what was expected and seen.
#
# A scenario script sources this file, calls e2e_begin, then drives the program.
# Environment (set by CTest): RX_STAGE_DIR, the built program directory;
# RX_E2E_OUT, where each scenario keeps its folder, screenshots and logs.
# RX_E2E_NO_WM=1: no window manager on the display, as under plain xvfb-run.
set -euo pipefail
# A check that fails inside $(...) ends the scenario too, not only its subshell.
shopt -s inherit_errexit
# xdotool, xmodmap and the program read the typed texts as UTF-8 whatever
# locale the caller's shell had (a bare login has none).
export LC_ALL=C.UTF-8 LANG=C.UTF-8
umask 022

E2E_NAME=$(basename "$0" .sh)
E2E_DIR="${RX_E2E_OUT:?}/$E2E_NAME"
E2E_PIDS=()
PROGRAM_PID=
# The screen of the scenarios' displays, width x height.
E2E_SCREEN=1280x1024

e2e_log() { echo "[$E2E_NAME] $*" >&2; }

# Ends the scenario as failed, with a screenshot of what was on the screen.
fail() {
    echo "FAILED $E2E_NAME: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$E2E_DIR/failure.png" 2>/dev/null &&
        echo "  screen at the failure: $E2E_DIR/failure.png" >&2
    [ -s "$E2E_DIR/program.log" ] && { echo "  program output:" >&2; tail -n 20 "$E2E_DIR/program.log" >&2; }
    exit 1
}

e2e_end() {
    local pid
    for pid in ${PROGRAM_PID:+"$PROGRAM_PID"} "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}

# Polls `cmd...` until it succeeds, for up to $1 seconds.
wait_until() {
    local seconds=$1; shift
    local tries=$((seconds * 20))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

# A fresh folder, a copy of the program directory, a display and, unless
# RX_E2E_NO_WM is set, the window manager.
e2e_begin() {
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR"
    PROGRAM_DIR="$E2E_DIR/program"
    cp -a "${RX_STAGE_DIR:?}" "$PROGRAM_DIR"
    # The copy's registration names its own prescription file.
    sed -i "s#^DBQ = .*#DBQ = $PROGRAM_DIR/data/sj.accdb#" "$PROGRAM_DIR/odbc.ini"
    trap e2e_end EXIT
    start_display 10
}

# A display of its own and, unless RX_E2E_NO_WM is set, the window manager,
# each given $1 seconds to come up.
start_display() {
    : >"$E2E_DIR/display"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN}x24" -nolisten tcp 3>"$E2E_DIR/display" \
        >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until "$1" test -s "$E2E_DIR/display" || fail "expected Xvfb to start, saw: $(cat "$E2E_DIR/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$E2E_DIR/display")"
    [ -z "${RX_E2E_NO_WM:-}" ] || return 0
    openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until "$1" wm_running || fail "expected openbox to manage display $DISPLAY, saw no window manager"
}

# Starts the program from the copied program directory on the real X server;
# $1 names another executable of it (the host-linked build). Its home, runtime
# folder and ODBC registration are the scenario's own, so nothing registered on
# the machine or in the caller's home is read.
start_program() {
    export XDG_RUNTIME_DIR="$E2E_DIR/runtime"; mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    mkdir -p "$E2E_DIR/home"
    (cd /tmp && exec env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb HOME="$E2E_DIR/home" \
        ODBCSYSINI="$PROGRAM_DIR" ODBCINI="$PROGRAM_DIR/odbc.ini" ODBCINSTINI=odbcinst.ini \
        "$PROGRAM_DIR/${1:-rx_workstation}") >"$E2E_DIR/program.log" 2>&1 &
    PROGRAM_PID=$!
}

program_running() { kill -0 "$PROGRAM_PID" 2>/dev/null; }

# The program's visible top-level windows whose title is exactly $1.
windows_titled() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w"
    done
    return 0
}

# The program's visible window of the given client size (titles are blank for
# most windows, so the layout's size tells them apart).
windows_sized() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [ "$(client_size "$w")" = "$1" ] && echo "$w"
    done
    return 0
}

has_output() { [ -n "$("$@")" ]; }
has_no_output() { [ -z "$("$@")" ]; }

# Waits for one window titled $1 and prints its id. The first window of a
# program started on a machine busy with a parallel build can take long.
wait_for_title() {
    wait_until "${2:-30}" has_output windows_titled "$1" ||
        fail "expected a window titled \"$1\", saw: $(describe_windows)"
    windows_titled "$1" | head -n 1
}

wait_for_size() {
    wait_until "${2:-10}" has_output windows_sized "$1" ||
        fail "expected a window with a client area of $1, saw: $(describe_windows)"
    windows_sized "$1" | head -n 1
}

# One line per visible window of the program: title and client size.
describe_windows() {
    local w out=""
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        out+="\"$(xdotool getwindowname "$w" 2>/dev/null)\" $(client_size "$w"); "
    done
    echo "${out:-no window}"
}

client_size() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# Left and top of the client area on the screen.
client_position() { xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x, y}'; }
# left, right, top, bottom of the window manager's frame.
frame_extents() { xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ','; }
wm_state() { xprop -id "$1" _NET_WM_STATE | sed -n 's/.*= //p'; }
transient_for() { printf '%d\n' "$(xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*# //p')"; }
# The window with the keyboard: the window manager's record of it, or without
# one the X server's input focus.
active_window() {
    if [ -n "${RX_E2E_NO_WM:-}" ]; then xdotool getwindowfocus -f; else xdotool getactivewindow; fi 2>/dev/null
}
is_active() { [ "$(active_window)" = "$1" ]; }

# Waits until window $1 has the keyboard, so that typing goes where expected.
wait_active() {
    wait_until "${2:-10}" is_active "$1" ||
        fail "expected window \"$(xdotool getwindowname "$1")\" to be active, saw \"$(xdotool getwindowname "$(active_window)" 2>/dev/null)\" active"
}

# Real key presses to whichever window has the keyboard.
key() { xdotool key --delay 40 "$@"; sleep 0.15; }
# xdotool types a character that has no key by binding a spare key to it for a
# moment, and Qt, reading the new binding late, often sees the key with its old
# meaning. So the characters of a text get keys of their own first (the
# keycodes Xvfb leaves empty), and Qt is given a moment to read them.
SPARE_KEYCODES=(93 97 103 120 132 149 154 168 178 183 184 197 202 217 219 222 230 248)
type_text() {
    local text=$1 ch i=0
    local -a bindings=()
    local -A bound=()
    while IFS= read -r -n 1 ch; do
        [ -z "$ch" ] || [ -n "${bound[$ch]:-}" ] && continue
        [ "$(printf '%d' "'$ch")" -lt 128 ] && continue
        [ $i -lt ${#SPARE_KEYCODES[@]} ] || fail "type_text: more than ${#SPARE_KEYCODES[@]} different characters in \"$1\""
        bindings+=(-e "keycode ${SPARE_KEYCODES[i]} = $(printf 'U%04X' "'$ch")")
        bound[$ch]=1; i=$((i + 1))
    done <<<"$text"
    if [ ${#bindings[@]} -gt 0 ]; then xmodmap "${bindings[@]}"; sleep 0.3; fi
    xdotool type --delay 40 "$text"
    sleep 0.15
}

# A click at x, y of the client area of window $1.
click_at() {
    local pos
    read -r -a pos <<<"$(client_position "$1")"
    xdotool mousemove --sync $((pos[0] + $2)) $((pos[1] + $3)) click 1
    sleep 0.2
}

# The windows' layout, written by the build from the tables the windows are
# built from (tests/e2e/layout_sh.cpp): RX_CLIENT_SIZE[class],
# RX_CONTROL[class/control] and RX_LIST_ROWS[class/list].
# shellcheck source=/dev/null
source "${RX_LAYOUT_SH:-$(dirname "${BASH_SOURCE[0]}")/layout.sh}"

# The client size of window class $1 (EntryWindow, QueryWindow, ...).
client_size_of() { echo "${RX_CLIENT_SIZE[$1]:?no window class $1 in the layout}"; }

# Waits for the program's window of class $1, told apart by its client size; prints its id.
wait_for_window() { wait_for_size "$(client_size_of "$1")" "${2:-10}"; }

# The class of window $1, by its client size.
window_class() {
    local size class
    size=$(client_size "$1")
    for class in "${!RX_CLIENT_SIZE[@]}"; do
        [ "${RX_CLIENT_SIZE[$class]}" = "$size" ] && { echo "$class"; return 0; }
    done
    fail "expected a window of the layout, saw one with a client area of $size"
}

# Left, top, width and height of control $2 of window $1 in its client area.
control_rect() {
    local class
    class=$(window_class "$1")
    [ -n "${RX_CONTROL[$class/$2]:-}" ] || fail "expected a control $2 in the layout of $class"
    echo "${RX_CONTROL[$class/$2]}"
}

# Clicks the middle of control $2 of window $1; with $3 = left, its left fifth
# (the year of a date picker).
click_control() {
    local r x
    read -r -a r <<<"$(control_rect "$1" "$2")"
    x=$((r[0] + r[2] / 2))
    [ "${3:-}" = left ] && x=$((r[0] + r[2] / 5))
    click_at "$1" "$x" $((r[1] + r[3] / 2))
}

# Clicks row $3 (from 0) of report list $2 of window $1, at the list's middle,
# a row being as high as the program's font makes it.
click_list_row() {
    local r row
    read -r -a r <<<"$(control_rect "$1" "$2")"
    read -r -a row <<<"${RX_LIST_ROWS[$(window_class "$1")/$2]}"
    click_at "$1" $((r[0] + r[2] / 2)) $((row[0] + $3 * row[1] + row[1] / 2))
}

# Clicks the print button of the maximised print preview $1.
click_preview_print() {
    local at
    read -r -a at <<<"$RX_PREVIEW_PRINT"
    click_at "$1" "${at[0]}" "${at[1]}"
}

# Screenshot $3 of control $2 of window $1 alone.
shot_control() {
    local r
    read -r -a r <<<"$(control_rect "$1" "$2")"
    import -window "$1" -crop "${r[2]}x${r[3]}+${r[0]}+${r[1]}" +repage "$E2E_DIR/$3.png"
}

# Waits for the message box titled $1, takes its screenshot when $2 is given, answers it with Enter.
answer_message() {
    local box
    box=$(wait_for_title "$1")
    wait_active "$box"
    [ -n "${2:-}" ] && shot "$2"
    key Return
    wait_until 10 has_no_output windows_titled "$1" || fail "expected the box \"$1\" to close on Enter, it stayed open"
}

shot() { import -window root "$E2E_DIR/$1.png"; e2e_log "screenshot $E2E_DIR/$1.png"; }

# Ends the scenario unless screenshots $1 and $2 differ in more than 100
# pixels; $3 says what the change shows.
expect_changed() {
    local changed
    changed=$(pixels_between "$1" "$2")
    [ "$changed" -gt 100 ] 2>/dev/null || fail "expected $3, saw $changed pixels change"
}

# How many pixels differ between two screenshots of the scenario ($1, $2: names).
pixels_between() {
    local n
    n=$(compare -metric AE "$E2E_DIR/$1.png" "$E2E_DIR/$2.png" null: 2>&1 || true)
    echo "${n%% *}"
}

# Runs SQL on a database file of the copied program directory (UTF-8 out).
sql() { sqlite3 -batch -noheader "$PROGRAM_DIR/data/$1" "$2"; }

expect_equal() {
    [ "$2" = "$3" ] || fail "expected $1 to be \"$2\", saw \"$3\""
}

# Logs in with the login code typed by keyboard alone; prints EntryWindow's id.
log_in() {
    local login
    login=$(wait_for_title "门诊处方登陆")
    wait_active "$login"
    type_text 794; key Return; type_text 794; key Return
    wait_for_window EntryWindow
}

# In EntryWindow, from 编辑框_姓名 by keyboard: 姓名 $1, 性别 $2, 年龄 $3 (岁
# stays), 住址 禾川镇, 诊断 $4 and 现病史 $5; the focus ends in 组合框_备注.
type_patient() {
    type_text "$1"; key Tab; type_text "$2"; key Tab; type_text "$3"; key Tab Tab
    key ctrl+a; type_text 禾川镇; key Tab; key Tab
    type_text "$4"; key Tab Tab Tab
    type_text "$5"; key Tab
}

# 保    存 in EntryWindow $1, and its box answered ($2: a screenshot of it).
click_save() {
    click_control "$1" 按钮_保存
    answer_message "提示信息" "${2:-}"
}

# In EntryWindow ($1): the herbal code box, then each "CODE DOSE" through the
# keyboard chain code -> Down -> list -> Enter -> dose -> Enter -> Enter.
add_drugs() {
    local entry=$1 drug code dose; shift
    click_control "$entry" 编辑框_选择药品
    for drug in "$@"; do
        read -r code dose <<<"$drug"
        type_text "$code"; key Down Down Return; type_text "$dose"; key Return Return
    done
}

# Clicks the close box of window $1's frame.
click_close_box() {
    local pos ext
    read -r -a pos <<<"$(client_position "$1")"
    read -r -a ext <<<"$(frame_extents "$1")"
    xdotool mousemove --sync $((pos[0] + $(client_size "$1" | cut -dx -f1) - 8)) $((pos[1] - ext[2] / 2)) click 1
    sleep 0.3
}

# Printing through the private CUPS queue (scripts/cups-pdf-queue.sh, started by
# CTest's cups_queue fixture): the program finds it as the default destination.
cups_begin() {
    [ -f "${RX_CUPS_ENV:?}" ] || fail "expected the cups_queue fixture's $RX_CUPS_ENV"
    if grep -q RX_CUPS_UNAVAILABLE "$RX_CUPS_ENV"; then
        e2e_log "skipped: $(cat "$RX_CUPS_ENV")"; exit 77
    fi
    CUPS_SERVER=$(sed -n 's/^CUPS_SERVER=//p' "$RX_CUPS_ENV")
    CUPS_OUT=$(sed -n 's/^RX_CUPS_OUT=//p' "$RX_CUPS_ENV")
    export CUPS_SERVER
}

printed_count() { find "$CUPS_OUT" -name '*.pdf' | wc -l; }
printed_more_than() { [ "$(printed_count)" -gt "$1" ]; }

# From EntryWindow $1: 处方查询, 查询, a click on the first row, 打   印 and 打印预览;
# prints the id of the maximised preview.
preview_first_visit_from_query() {
    local query print
    click_control "$1" 按钮_处方查询
    query=$(wait_for_window QueryWindow)
    wait_active "$query"
    click_control "$query" 按钮_查询
    sleep 0.5
    click_list_row "$query" 超级列表框1 0
    sleep 0.3
    click_control "$query" 按钮_打印
    print=$(wait_for_window QueryPrintWindow)
    wait_active "$print"
    click_control "$print" 按钮_打印预览
    wait_for_maximised_preview
}

# Waits for the print preview to open maximised; prints its id.
wait_for_maximised_preview() {
    local preview
    preview=$(wait_for_title "打印预览" 30)
    wait_until 30 sh -c "xprop -id $preview _NET_WM_STATE | grep -q MAXIMIZED_VERT" ||
        fail "expected the preview maximised, saw window state \"$(wm_state "$preview")\""
    sleep 1
    echo "$preview"
}

# In the maximised preview ($1): the print button, then 打印 in the print
# dialog, which names the default queue by itself. Prints the path of the PDF
# the queue produced.
print_from_preview() {
    local before dialog
    before=$(printed_count)
    click_preview_print "$1"
    dialog=$(wait_for_title "打印" 30)
    wait_active "$dialog"
    shot "$2-dialog"
    key Return
    wait_until 60 printed_more_than "$before" ||
        fail "expected a PDF from the queue, saw none in $CUPS_OUT: $(lpstat -W all -o 2>&1 | tail -n 3)"
    sleep 1  # cups-pdf writes the file, then sets its mode
    cp "$(ls -t "$CUPS_OUT"/*.pdf | head -n 1)" "$E2E_DIR/$2.pdf"
    pdftoppm -r 60 -png -singlefile "$E2E_DIR/$2.pdf" "$E2E_DIR/$2-page"
    echo "$E2E_DIR/$2.pdf"
}

# The printed page $1: its paper ($2, "A5 portrait"), every font embedded,
# and each cell of $4 (lines "row column text") holding exactly its text where
# template $3 puts that cell.
check_printed_page() {
    local size faults
    size=$(pdfinfo "$1" | awk '/^Page size:/ {
        gsub(/[()]/, "", $7); print $7, ($3 > $5 ? "landscape" : "portrait") }')
    expect_equal "the printed paper" "$2" "$size"
    pdffonts "$1" | awk 'NR > 2 && $(NF-4) != "yes" {bad = 1} END {exit bad}' ||
        fail "expected every font embedded, saw: $(pdffonts "$1")"
    "${RX_GRID_PDF:?}" --boxes "$PROGRAM_DIR/$3" >"$E2E_DIR/boxes.txt"
    faults=$(python3 "$(dirname "${BASH_SOURCE[0]}")/pdf_cells.py" "$1" "$E2E_DIR/boxes.txt" "$4") ||
        fail "expected each printed cell to hold its text: $faults"
}
