#!/usr/bin/env bash
# The host-linked build's query print puts the visit on the slip template with
# the slip's cells; through the preview's print button it reaches the private
# CUPS queue, and the PDF it gives holds every patient and drug cell's text,
# exact and searchable, where the slip puts it.
source "$(dirname "$0")/../lib.sh"
cups_begin
e2e_begin
start_program rx_workstation_host_linked
entry=$(log_in)
wait_active "$entry"

type_patient 李建国 女 42 头痛 失眠一周
add_drugs "$entry" "ZGC 6"
click_save "$entry"
expect_equal "the saved herbal prescription" "炙甘草6g," "$(sql sj.accdb "select 中药处方 from 基本资料")"
number=$(sql sj.accdb "select 处方号 from 基本资料")

preview=$(preview_first_visit_from_query "$entry")
pdf=$(print_from_preview "$preview" host-slip-printed)
cat >"$E2E_DIR/cells.txt" <<CELLS
3 16 $number
4 4 李建国
4 9 女
4 13 42
4 14 岁
4 15 $(date +%Y年%-m月%-d日)
5 4 头痛
5 16 禾川镇
7 3 炙甘草6g
7 9
CELLS
check_printed_page "$pdf" "A5 portrait" 处方笺.grd "$E2E_DIR/cells.txt"
