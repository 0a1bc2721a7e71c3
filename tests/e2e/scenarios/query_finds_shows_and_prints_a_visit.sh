#!/usr/bin/env bash
# The road of a saved visit through the query window: log in, save a visit,
# open 处方查询, 查询 lists it, a click on the row fills the detail boxes,
# 打   印 opens the print window modal over the query window alone, and
# 打印预览 shows the filled A4 sheet maximised.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"

type_patient 张三 男 35 感冒 咳嗽三天
add_drugs "$entry" "ZHQ 10" "ZGC 6"
click_save "$entry"
expect_equal "the saved herbal prescription" "炙黄芪10g,炙甘草6g," "$(sql sj.accdb "select 中药处方 from 基本资料")"

click_control "$entry" 按钮_处方查询
query=$(wait_for_window QueryWindow)
wait_active "$query"
[ "$(transient_for "$query")" = 0 ] ||
    fail "expected the query window to have no owner, saw it transient for $(transient_for "$query")"
click_control "$query" 按钮_查询

# The detail area before and after the click on the list's first row.
shot_control "$query" 分组框_门诊处方查询 detail-before
click_list_row "$query" 超级列表框1 0
sleep 0.3
shot_control "$query" 分组框_门诊处方查询 detail-after
expect_changed detail-before detail-after "the click on the row to fill the detail boxes"
shot query-detail

click_control "$query" 按钮_打印   # 打   印
print=$(wait_for_window QueryPrintWindow)
wait_active "$print"
expect_equal "the print window's owner" "$query" "$(transient_for "$print")"
wm_state "$print" | grep -q _NET_WM_STATE_MODAL ||
    fail "expected the print window to be modal, saw window state \"$(wm_state "$print")\""

click_control "$print" 按钮_打印预览
preview=$(wait_for_title "打印预览")
wait_until 10 sh -c "xprop -id $preview _NET_WM_STATE | grep -q MAXIMIZED_VERT" ||
    fail "expected the preview maximised, saw window state \"$(wm_state "$preview")\""
sleep 1
shot query-preview
