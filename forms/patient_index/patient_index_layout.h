#pragma once
// The controls of PatientIndexWindow: two group boxes side by side, every
// other control inside one of them and placed from its top-left corner.

#include "platform/ui/layout_table.h"

namespace rx::patient_index_layout {

using namespace ui::table_names;
inline constexpr std::string_view G1 = "分组框1";
inline constexpr std::string_view G2 = "分组框2";

inline constexpr Control kControls[] = {
    {G1, K::GroupBox, {}, {8, 8, 312, 360}, "病人姓名录入"},
    {G2, K::GroupBox, {}, {320, 8, 560, 360}, {}},
    // A new patient.
    {"标签1", K::Label, G1, {35, 40, 32, 24}, "姓名"},
    {"编辑框_姓名", K::Edit, G1, {75, 40, 80, 24}, {}},
    {"编辑框2", K::Edit, G1, {168, 40, 96, 24}, {}},
    {"标签2", K::Label, G1, {35, 80, 32, 24}, "主诉"},
    // Enter belongs to the key handler.
    {"编辑框_主诉", K::TextEdit, G1, {75, 80, 216, 80}, {}, opt::TabChangesFocus},
    {"标签3", K::Label, G1, {35, 177, 32, 24}, "时间"},
    {"日期框1", K::DatePicker, G1, {76, 177, 152, 24}, {}},
    {"按钮1", K::Button, G1, {101, 241, 136, 40}, "插入"},
    {"按钮_快捷", K::Button, G1, {200, 312, 88, 32}, "快捷", opt::HostLinkedOnly},
    // The search.
    {"标签4", K::Label, G2, {24, 24, 56, 24}, "开始时间"},
    {"日期框2", K::DatePicker, G2, {88, 24, 144, 24}, {}},
    {"标签5", K::Label, G2, {27, 64, 56, 24}, "结束时间"},
    {"日期框3", K::DatePicker, G2, {88, 64, 144, 24}, {}},
    {"标签6", K::Label, G2, {28, 106, 48, 16}, "姓    名"},
    {"编辑框_检索姓名", K::Edit, G2, {88, 104, 143, 24}, {}},
    {"按钮2", K::Button, G2, {288, 56, 144, 40}, "查询"},
    {"超级列表框1", K::ReportList, G2, {8, 144, 544, 208}, {}, opt::ListFont},
};

inline constexpr ui::WindowLayout kLayout{"PatientIndexWindow", 897, 409, kControls};

}  // namespace rx::patient_index_layout
