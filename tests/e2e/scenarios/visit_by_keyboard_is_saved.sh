#!/usr/bin/env bash
# The road of a visit: log in, type the patient by keyboard (Tab from field to
# field, Chinese typed as text), two drugs through code -> list -> dose -> Enter,
# save, and the row read back from the database file with all sixteen values.
source "$(dirname "$0")/../lib.sh"
e2e_begin
start_program
entry=$(log_in)
wait_active "$entry"

# 姓名, 性别, 年龄, 年龄单位 (岁 stays), 住址, 新纪录, 诊断, 日期框1 (one stop),
# 处方号, 现病史, 备注 (typed, never completed from its list), 备注2.
type_text 张三; key Tab; type_text 男; key Tab; type_text 35; key Tab Tab
key ctrl+a; type_text 禾川镇; key Tab; type_text 是; key Tab
type_text 感冒; key Tab Tab Tab
type_text 咳嗽三天; key Tab; type_text 禾川1; key Tab; type_text 复诊; key Tab
shot visit-patient

add_drugs "$entry" "ZHQ 10" "ZGC 6"
shot visit-drugs
click_save "$entry" visit-saved

row=$(sql sj.accdb "select 姓名,性别,年龄,年龄单位,住址,诊断,substr(登记时间,1,10),处方号,频率,用法,用量单位,现病史,中药处方,备注,备注2,记录 from 基本资料")
[ -n "$row" ] || fail "expected one row in 基本资料 after the save, saw none"
IFS='|' read -r -a v <<<"$row"
number=${v[7]}
[[ "$number" =~ ^[0-9]{14}$ ]] || fail "expected a fourteen-digit 处方号, saw \"$number\""
expect_equal "处方号's date" "$(date +%Y%m%d)" "${number:0:8}"
v[7]=number
expect_equal "the saved row" \
    "张三|男|35.0|岁|禾川镇|感冒|$(date +%F)|number|每天三次|口服|g|咳嗽三天|炙黄芪10g,炙甘草6g,|禾川1|复诊|是" \
    "$(IFS='|'; echo "${v[*]}")"
