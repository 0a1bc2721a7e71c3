#!/usr/bin/env bash
# 打   印 opens the slip window modal over EntryWindow alone: a query window open
# beside it still answers. 打印预览 opens the maximised preview with a Chinese title.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"
type_text 李四; key Tab; type_text 女; key Tab; type_text 42
add_drugs "$entry" "ZHQ 15"

click_control "$entry" 按钮_处方查询
query=$(wait_for_window QueryWindow)
click_control "$entry" 按钮_打印   # 打   印
slip=$(wait_for_window SlipPrintWindow)
wait_active "$slip"
expect_equal "the slip window's owner" "$entry" "$(transient_for "$slip")"
wm_state "$slip" | grep -q _NET_WM_STATE_MODAL ||
    fail "expected the slip window to be modal, saw window state \"$(wm_state "$slip")\""

# Modal over the whole program, the query window would ignore its close box.
xdotool windowactivate --sync "$query" 2>/dev/null || xdotool windowraise "$query"
sleep 0.3
click_close_box "$query"
wait_until 10 has_no_output windows_sized "$(client_size_of QueryWindow)" ||
    fail "expected the query window to close while the slip window is open, it stayed: $(describe_windows)"

xdotool windowactivate --sync "$slip" 2>/dev/null || true
click_control "$slip" 按钮_打印预览   # 打印预览
preview=$(wait_for_title "打印预览" 30)
wait_until 30 sh -c "xprop -id $preview _NET_WM_STATE | grep -q MAXIMIZED_VERT" ||
    fail "expected the preview maximised, saw window state \"$(wm_state "$preview")\""
wm_state "$preview" | grep -q MAXIMIZED_HORZ ||
    fail "expected the preview maximised across, saw window state \"$(wm_state "$preview")\""
sleep 1
shot slip-preview
