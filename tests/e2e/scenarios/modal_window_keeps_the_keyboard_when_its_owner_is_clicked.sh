#!/usr/bin/env bash
# With the patient index, the slip window or the query print window open modal,
# a click on the window it was opened from brings the modal window back to the
# front with the keyboard: what the doctor types next goes into the modal
# window, as on Windows, instead of into a window that ignores it.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"

# Top of the window manager's stacking order.
topmost() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //'; }

# Clicks control $3 of window $1 and expects modal window $2 in front with the keyboard.
click_owner() {
    click_control "$1" "$3"
    sleep 0.5
    wait_until 5 is_active "$2" ||
        fail "expected modal window $2 active after the click on its owner $1, saw window $(active_window) active"
    expect_equal "the window on top after the click on its owner" "$(printf '0x%x' "$2")" "$(topmost)"
}

click_control "$entry" 按钮2
index=$(wait_for_window PatientIndexWindow)
wait_active "$index"
click_owner "$entry" "$index" 编辑框_姓名
shot index-after-owner-click
type_text 王五; key Return; type_text 头痛; key Return
answer_message "提示信息"
expect_equal "the index row typed after the click on EntryWindow" "王五|头痛|WW" \
    "$(sql sj.accdb "select 姓名, 主诉, 首拼 from 检索")"
click_close_box "$index"
wait_until 10 has_no_output windows_sized "$(client_size_of PatientIndexWindow)" || fail "expected the index window to close"
wait_active "$entry"

click_control "$entry" 按钮_打印   # 打   印
slip=$(wait_for_window SlipPrintWindow)
wait_active "$slip"
click_owner "$entry" "$slip" 编辑框_姓名
click_close_box "$slip"
wait_until 10 has_no_output windows_sized "$(client_size_of SlipPrintWindow)" || fail "expected the slip window to close"

click_control "$entry" 按钮_处方查询
query=$(wait_for_window QueryWindow)
wait_active "$query"
click_control "$query" 按钮_打印   # 打   印
print=$(wait_for_window QueryPrintWindow)
wait_active "$print"
click_owner "$query" "$print" 按钮_退出   # which must not act
has_output windows_sized "$(client_size_of QueryWindow)" || fail "expected the query window to stay, the click on 退出 reached it"
shot query-print-after-owner-click
