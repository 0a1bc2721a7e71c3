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

click_entry_button "$entry" 728 592   # 处方查询
query=$(wait_for_size 661x496)
click_entry_button "$entry" 602 592   # 打   印
slip=$(wait_for_size 549x372)
wait_active "$slip"
expect_equal "the slip window's owner" "$entry" "$(transient_for "$slip")"
wm_state "$slip" | grep -q _NET_WM_STATE_MODAL ||
    fail "expected the slip window to be modal, saw window state \"$(wm_state "$slip")\""

# Modal over the whole program, the query window would ignore its close box.
xdotool windowactivate --sync "$query" 2>/dev/null || xdotool windowraise "$query"
sleep 0.3
click_close_box "$query"
wait_until 10 has_no_output windows_sized 661x496 ||
    fail "expected the query window to close while the slip window is open, it stayed: $(describe_windows)"

xdotool windowactivate --sync "$slip" 2>/dev/null || true
click_at "$slip" $((384 + 48)) $((328 + 12))   # 打印预览
preview=$(wait_for_title "打印预览" 30)
wait_until 30 sh -c "xprop -id $preview _NET_WM_STATE | grep -q MAXIMIZED_VERT" ||
    fail "expected the preview maximised, saw window state \"$(wm_state "$preview")\""
wm_state "$preview" | grep -q MAXIMIZED_HORZ ||
    fail "expected the preview maximised across, saw window state \"$(wm_state "$preview")\""
sleep 1
shot slip-preview
