#pragma once
// The controls of EntryWindow. Every control but the group box lies inside
// 分组框_人员信息, placed from its top-left corner.

#include "platform/ui/layout_table.h"

namespace rx::entry_layout {

using namespace ui::table_names;
inline constexpr std::string_view G = "分组框_人员信息";

inline constexpr Control kControls[] = {
    {G, K::GroupBox, {}, {8, 9, 848, 647}, "门诊处方录入"},
    // The patient.
    {"标签_姓名", K::Label, G, {15, 32, 40, 20}, "姓   名"},
    {"编辑框_姓名", K::Edit, G, {73, 32, 70, 20}, {}},
    {"标签_性别", K::Label, G, {156, 32, 43, 20}, "性  别"},
    {"组合框_性别", K::Combo, G, {208, 32, 50, 20}, {}, opt::Editable},
    {"标签_年龄", K::Label, G, {275, 32, 40, 24}, "年  龄"},
    {"编辑框_年龄", K::WholeNumberEdit, G, {319, 32, 50, 20}, {}},
    {"组合框_年龄单位", K::Combo, G, {371, 32, 40, 20}, {}},
    {"标签_住址", K::Label, G, {426, 32, 40, 24}, "住  址"},
    {"编辑框_住址", K::Edit, G, {472, 32, 160, 20}, {}},
    {"标签4", K::Label, G, {640, 31, 64, 24}, "是否新纪录"},
    {"组合框_新纪录", K::Combo, G, {707, 31, 48, 20}, {}, opt::Editable},
    {"标签_诊断", K::Label, G, {15, 67, 48, 20}, "诊    断"},
    {"编辑框_诊断", K::Edit, G, {73, 64, 111, 20}, {}},
    {"标签_登记时间", K::Label, G, {210, 65, 48, 24}, "登记时间"},
    {"日期框1", K::DatePicker, G, {280, 64, 131, 20}, {}},
    {"标签_处方号", K::Label, G, {424, 61, 48, 32}, "处方号"},
    {"编辑框_处方号", K::Edit, G, {472, 64, 160, 20}, {}},
    {"标签_现病史", K::Label, G, {25, 410, 37, 24}, "现病史"},
    {"编辑框_现病史", K::TextEdit, G, {72, 407, 112, 72}, {}, opt::TabChangesFocus},
    {"标签2", K::Label, G, {24, 495, 40, 16}, "备注"},
    {"组合框_备注", K::Combo, G, {73, 492, 112, 20}, {}, opt::Editable},
    {"标签3", K::Label, G, {26, 535, 32, 16}, "备注2"},
    {"编辑框_备注2", K::Edit, G, {72, 519, 112, 56}, {}},
    {"标签_中药处方", K::Label, G, {24, 583, 48, 20}, "中药处方"},
    {"编辑框_中药处方", K::TextEdit, G, {72, 584, 112, 27}, {}, opt::TabChangesFocus},
    // The drug search; the herbal pair is made after the western one and lies on top of it.
    {"单选框1", K::RadioButton, G, {74, 95, 104, 16}, "中药"},
    {"单选框2", K::RadioButton, G, {74, 111, 112, 16}, "西药"},
    {"标签_西药", K::Label, G, {15, 133, 48, 20}, "西药简码", opt::MayOverlap},
    {"编辑框_西药", K::Edit, G, {73, 132, 111, 20}, {}, opt::MayOverlap},
    {"标签_选择药品", K::Label, G, {15, 133, 48, 20}, "中药简码", opt::MayOverlap},
    {"编辑框_选择药品", K::Edit, G, {73, 132, 111, 20}, {}, opt::MayOverlap},
    {"标签1", K::Label, G, {16, 168, 48, 24}, "药品名称"},
    {"编辑框_药品名称", K::Edit, G, {72, 168, 112, 24}, {}},
    {"标签_用量", K::Label, G, {15, 207, 48, 20}, "用    量"},
    {"编辑框_用量", K::WholeNumberEdit, G, {73, 207, 111, 20}, {}},
    {"标签_剂量单位", K::Label, G, {15, 244, 48, 16}, "剂量单位"},
    {"组合框_剂量单位", K::Combo, G, {73, 242, 112, 20}, {}},
    {"标签_用法", K::Label, G, {15, 279, 48, 20}, "用    法"},
    {"组合框_用法", K::Combo, G, {73, 276, 112, 20}, {}},
    {"按钮1", K::Button, G, {73, 304, 111, 30}, "插入药品"},
    {"按钮_清除", K::Button, G, {73, 342, 111, 30}, "清除简码"},
    {"标签_频率", K::Label, G, {15, 382, 48, 20}, "频    率"},
    {"组合框_频率", K::Combo, G, {73, 379, 112, 20}, {}},
    // The drugs found and the drugs of the prescription.
    {"查询列表框", K::ReportList, G, {188, 103, 188, 456}, {}, opt::ListFont},
    {"超级列表框1", K::ReportList, G, {384, 103, 456, 456}, {}, opt::ListFont},
    // The buttons.
    {"按钮_保存", K::Button, G, {229, 596, 112, 30}, "保    存"},
    {"按钮_接诊", K::Button, G, {353, 596, 112, 30}, "接   诊"},
    {"按钮_退出", K::Button, G, {478, 594, 112, 30}, "退   出"},
    {"按钮_打印", K::Button, G, {602, 592, 112, 30}, "打   印"},
    {"按钮_处方查询", K::Button, G, {728, 592, 112, 30}, "处方查询"},
    {"按钮2", K::Button, G, {680, 63, 88, 32}, "按钮"},
    {"按钮3", K::Button, G, {776, 63, 64, 32}, "按钮", opt::StandaloneOnly},
};

inline constexpr ui::WindowLayout kLayout{"EntryWindow", 868, 692, kControls};

}  // namespace rx::entry_layout
