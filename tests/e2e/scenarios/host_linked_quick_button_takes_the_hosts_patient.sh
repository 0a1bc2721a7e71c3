#!/usr/bin/env bash
# The host-linked build beside the stand-in host frame: 快捷 in the patient
# index copies the frame's patient (a character outside GBK included) into the
# name and complaint, the initials follow, and Enter in the name saves the row.
source "$(dirname "$0")/../lib.sh"
e2e_begin
host_frame="$(dirname "$RX_STAGE_DIR")/tools/host_frame/host_frame"
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb "$host_frame" --patient 王小𠮷 \
    --complaint1 咳嗽 --complaint2 三天 --complaint3 ，夜间加重 >"$E2E_DIR/host_frame.log" 2>&1 &
E2E_PIDS+=($!)
wait_until 10 sh -c "xdotool search --class his_frame | grep -q ." ||
    fail "expected the stand-in host frame on the display, saw: $(cat "$E2E_DIR/host_frame.log")"
start_program rx_workstation_host_linked
entry=$(log_in)
wait_active "$entry"
click_control "$entry" 按钮2
index=$(wait_for_window PatientIndexWindow)
wait_active "$index"
click_control "$index" 按钮_快捷   # 快捷 in 分组框1
sleep 0.5
shot host-quick
click_control "$index" 编辑框_姓名   # back into 编辑框_姓名
key End Return
answer_message "提示信息" host-saved
row=$(sql sj.accdb "select 姓名, 主诉, 首拼 from 检索")
expect_equal "the row saved from the host frame" "王小𠮷|咳嗽三天，夜间加重|WX" "$row"
