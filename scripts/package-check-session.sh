#!/usr/bin/env bash
# A doctor's first visit on the installed package, run inside the fresh root by
# scripts/package-check.sh as the account `doc`: Xvfb with openbox, the
# launcher on the PATH, log in, save a visit, find it in 处方查询, and print
# its A4 sheet to a PDF file. Uses the end-to-end scenarios' steps (lib.sh).
# Environment: RX_E2E_OUT, where the screenshots and logs go.
# Window titles and the database's texts are UTF-8, whatever su's login left.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
E2E_NAME=session
source "$(dirname "$0")/lib.sh"
E2E_NAME=package-session
E2E_DIR="$RX_E2E_OUT/$E2E_NAME"
PROGRAM_DIR=/usr/lib/rx-workstation
PDF="$HOME/rx_workstation.pdf"

begin_display() {
    mkdir -p "$E2E_DIR"
    trap e2e_end EXIT
    start_display 20
}

# The launcher a doctor's menu entry runs, from a folder that is not the program's.
start_installed() {
    export XDG_RUNTIME_DIR="$E2E_DIR/runtime"; mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    (cd "$HOME" && exec rx-workstation) >"$E2E_DIR/program.log" 2>&1 &
    PROGRAM_PID=$!
}

save_visit() {
    local entry=$1
    type_patient 张三 男 35 感冒 咳嗽三天
    add_drugs "$entry" "ZHQ 10" "ZGC 6"
    click_save "$entry" saved
}

# 处方查询 -> 查询 -> the row -> 打   印 -> 打印预览; prints the preview's id.
find_and_preview() {
    local entry=$1 query print
    click_control "$entry" 按钮_处方查询
    query=$(wait_for_window QueryWindow)
    wait_active "$query"
    click_control "$query" 按钮_查询
    click_list_row "$query" 超级列表框1 0
    sleep 0.5
    shot query-found
    click_control "$query" 按钮_打印   # 打   印
    print=$(wait_for_window QueryPrintWindow)
    wait_active "$print"
    click_control "$print" 按钮_打印预览
    wait_for_maximised_preview
}

# The preview's print button (the last of its toolbar) opens Qt's print dialog,
# whose only printer on a machine without CUPS queues is a PDF file; prints its id.
open_print_dialog() {
    local preview=$1 before w
    sleep 1
    shot preview
    before=$(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null | sort)
    click_preview_print "$preview"
    for _ in $(seq 100); do
        for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
            grep -qx "$w" <<<"$before" || { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    fail "expected a dialog after the preview's print button, saw: $(describe_windows)"
}

print_to_pdf() {
    local dialog
    dialog=$(open_print_dialog "$1")
    wait_active "$dialog"
    sleep 0.5
    shot print-dialog
    e2e_log "print dialog: \"$(xdotool getwindowname "$dialog")\" $(client_size "$dialog")"
    # Its printer is 打印到文件(PDF) and its file ~/rx_workstation.pdf: Enter prints.
    key Return
    wait_until 20 test -s "$PDF" || fail "expected $PDF after printing"
}

begin_display
start_installed
# A first start on a fresh machine may wait for the fonts' caches (the CJK
# fonts are large); later starts take a second.
started=$SECONDS
wait_for_title "门诊处方登陆" 120 >/dev/null
e2e_log "login window after $((SECONDS - started)) s"
entry=$(log_in)
wait_active "$entry"
save_visit "$entry"
expect_equal "the saved herbal prescription" "炙黄芪10g,炙甘草6g," \
    "$(sqlite3 -batch -noheader "$PROGRAM_DIR/data/sj.accdb" "select 中药处方 from 基本资料")"
# While the program runs: its -wal and -shm files beside sj.accdb, as the group's.
ls -l "$PROGRAM_DIR/data/" | tee "$E2E_DIR/data-while-running.txt" >&2
preview=$(find_and_preview "$entry")
print_to_pdf "$preview"
pdftotext "$PDF" - | tr -d ' \n' | grep -q 张三 ||
    fail "expected 张三 in the printed PDF, saw: $(pdftotext "$PDF" - | head -c 300)"
e2e_log "saved, found and printed: $PDF"
