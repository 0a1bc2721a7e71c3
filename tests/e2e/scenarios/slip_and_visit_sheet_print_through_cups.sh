#!/usr/bin/env bash
# Real printing: a saved visit's slip from EntryWindow and its A4 sheet from
# QueryWindow go through the preview's print button to the default queue of a
# private CUPS, whose cups-pdf backend writes PDF files. Each page has its
# paper size, its fonts embedded, and every patient and drug cell's text,
# searchable and exact, where the template puts that cell.
source "$(dirname "$0")/../lib.sh"
cups_begin
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"

type_patient 张三丰 男 35 感冒 咳嗽三天
add_drugs "$entry" "ZHQ 10" "ZGC 6"
click_save "$entry"
expect_equal "the saved herbal prescription" "炙黄芪10g,炙甘草6g," "$(sql sj.accdb "select 中药处方 from 基本资料")"
number=$(sql sj.accdb "select 处方号 from 基本资料")

click_control "$entry" 按钮_打印   # 打   印
slip=$(wait_for_window SlipPrintWindow)
wait_active "$slip"
click_control "$slip" 按钮_打印预览   # 打印预览
preview=$(wait_for_maximised_preview)
pdf=$(print_from_preview "$preview" slip-printed)
cat >"$E2E_DIR/slip-cells.txt" <<CELLS
3 16 $number
4 4 张三丰
4 9 男
4 13 35
4 14 岁
4 15 $(date +%Y年%m月%d日)
5 4 感冒
5 16 禾川镇
7 3 炙黄芪10g
7 9 炙甘草6g
7 15
CELLS
check_printed_page "$pdf" "A5 portrait" 处方笺.grd "$E2E_DIR/slip-cells.txt"
# The preview closes once it has printed; the slip window goes by its close box.
wait_until 10 has_no_output windows_titled "打印预览" || fail "expected the preview to close after printing"
xdotool windowactivate --sync "$slip" 2>/dev/null || true
click_close_box "$slip"
wait_until 10 has_no_output windows_sized "$(client_size_of SlipPrintWindow)" || fail "expected the slip window to close"

preview=$(preview_first_visit_from_query "$entry")
pdf=$(print_from_preview "$preview" a4-printed)
cat >"$E2E_DIR/a4-cells.txt" <<CELLS
2 2 $(date +%Y年%-m月%-d日)
2 4 张三丰
2 5 男
2 7 35
2 8 禾川镇
2 9 咳嗽三天
4 7 炙黄芪10g
4 9 炙甘草6g
4 11
CELLS
# CUPS turns the landscape sheet a quarter onto the A4 paper.
check_printed_page "$pdf" "A4 portrait" A4.grd "$E2E_DIR/a4-cells.txt"
