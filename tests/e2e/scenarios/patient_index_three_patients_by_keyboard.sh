#!/usr/bin/env bash
# The patient index from EntryWindow's 按钮2: three patients of today typed by
# keyboard alone (name, Enter, complaint, Enter), each add answered; 查询 then
# shows three rows under the list's header, and 检索 holds the three rows with
# their initials.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"

click_control "$entry" 按钮2
index=$(wait_for_window PatientIndexWindow)
wait_active "$index"
expect_equal "the index window's owner" "$entry" "$(transient_for "$index")"
wm_state "$index" | grep -q _NET_WM_STATE_MODAL ||
    fail "expected the index window to be modal, saw window state \"$(wm_state "$index")\""
xprop -id "$index" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE &&
    fail "expected the window manager to offer no maximise action, saw: $(xprop -id "$index" _NET_WM_ALLOWED_ACTIONS)"
shot index-opened

# The window opens with the focus in 编辑框_姓名; after each add it comes back there.
patients=("张三|咳嗽三天" "李四|发热" "欧阳修|头痛两天")
for patient in "${patients[@]}"; do
    IFS='|' read -r name complaint <<<"$patient"
    type_text "$name"; key Return
    type_text "$complaint"; key Return
    answer_message "提示信息" "index-added-$name"
    wait_active "$index"
done

click_control "$index" 按钮2   # 查询
sleep 0.5
shot index-three-patients

# Lines of text in the list's 姓名 column (its left eighth, above its scroll
# bar): dark pixel lines in runs, one run for the header and one per row.
shot_control "$index" 超级列表框1 index-list
read -r -a list <<<"$(control_rect "$index" 超级列表框1)"
column="$((list[2] / 8))x$((list[3] * 8 / 9))"
text_lines=$(convert "$E2E_DIR/index-list.png" -crop "$column+5+2" +repage -colorspace gray \
    -threshold 50% -scale "1x${column#*x}!" -depth 8 txt:- |
    awk -F'[(,)]' 'NR > 1 { dark = $4 + 0 < 255; if (dark && !before) runs++; before = dark } END { print runs + 0 }')
expect_equal "the runs of text in the list's 姓名 column (header and rows)" 4 "$text_lines"

today=$(date +%F)
expect_equal "the rows of 检索" \
    "张三|$today|咳嗽三天|ZS;李四|$today|发热|LS;欧阳修|$today|头痛两天|OYX" \
    "$(sql sj.accdb "select 姓名,substr(时间,1,10),主诉,首拼 from 检索 order by 编号" | paste -sd ';')"

# Closing it returns to EntryWindow.
click_close_box "$index"
wait_until 10 has_no_output windows_sized "$(client_size_of PatientIndexWindow)" ||
    fail "expected the index window to close from its close box, it stayed: $(describe_windows)"
wait_active "$entry"
