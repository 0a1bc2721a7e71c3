#pragma once
// The controls of QueryWindow. The two group boxes and the hidden list box lie
// in the window; every other control lies in one of the group boxes, placed
// from its top-left corner.

#include "platform/ui/layout_table.h"

namespace rx::query_layout {

using namespace ui::table_names;
inline constexpr std::string_view S = "分组框_查询";
inline constexpr std::string_view D = "分组框_门诊处方查询";
// The detail boxes only display: this is the prescription the doctor reads back.
inline constexpr unsigned kShown = opt::DisplayOnly;
inline constexpr unsigned kShownText = opt::DisplayOnly | opt::WrapAnywhere;

inline constexpr Control kControls[] = {
    {S, K::GroupBox, {}, {8, 8, 640, 200}, "查询条件"},
    {D, K::GroupBox, {}, {8, 208, 640, 280}, "门诊处方查询"},
    {"列表框1", K::ListBox, {}, {664, 16, 272, 400}, {}, opt::NoFocus | opt::Hidden},
    // The search.
    {"标签_起始时间", K::Label, S, {32, 20, 50, 20}, "开始时间"},
    {"日期框1", K::DatePicker, S, {83, 20, 112, 20}, {}},
    // Its last two pixels lie under the picker beside it, where the text does not reach.
    {"标签_结束时间", K::Label, S, {195, 20, 50, 20}, "结束时间", opt::MayOverlap},
    {"日期框2", K::DatePicker, S, {243, 20, 112, 20}, {}, opt::MayOverlap},
    {"标签1", K::Label, S, {370, 24, 30, 16}, "姓名"},
    {"编辑框1", K::Edit, S, {400, 20, 112, 20}, {}},
    {"按钮_查询", K::Button, S, {522, 16, 80, 30}, "查询", opt::StrongFocus},
    {"超级列表框1", K::ReportList, S, {8, 56, 616, 136}, {}},
    // The visit found.
    {"标签_姓名", K::Label, D, {24, 32, 40, 20}, "姓  名"},
    {"编辑框_姓名", K::Edit, D, {73, 32, 71, 20}, {}, kShown},
    {"标签_性别", K::Label, D, {156, 32, 43, 20}, "性  别"},
    {"编辑框_性别", K::Edit, D, {208, 32, 48, 20}, {}, kShown},
    {"标签_年龄", K::Label, D, {275, 32, 40, 24}, "年  龄"},
    {"编辑框_年龄", K::Edit, D, {319, 32, 50, 20}, {}, kShown},
    {"编辑框_年龄单位", K::Edit, D, {376, 32, 32, 20}, {}, kShown},
    {"标签_住址", K::Label, D, {426, 32, 40, 24}, "住  址"},
    {"编辑框_住址", K::Edit, D, {472, 32, 160, 20}, {}, kShown},
    {"标签_诊断", K::Label, D, {24, 64, 48, 20}, "诊  断"},
    {"编辑框_诊断", K::Edit, D, {73, 64, 112, 20}, {}, kShown},
    {"标签_登记时间", K::Label, D, {210, 65, 48, 24}, "登记时间"},
    {"编辑框_登记时间", K::Edit, D, {264, 64, 144, 20}, {}, kShown},
    {"标签_处方号", K::Label, D, {424, 61, 48, 32}, "处方号"},
    {"编辑框_处方号", K::Edit, D, {472, 64, 160, 20}, {}, kShown},
    {"标签_频率", K::Label, D, {24, 95, 48, 20}, "频  率"},
    {"编辑框_频率", K::Edit, D, {73, 95, 112, 20}, {}, kShown},
    {"标签_用法", K::Label, D, {24, 127, 48, 20}, "用  法"},
    {"编辑框_用法", K::Edit, D, {73, 127, 112, 20}, {}, kShown},
    {"标签_用量", K::Label, D, {24, 159, 48, 20}, "用量单位"},
    {"编辑框_用量单位", K::Edit, D, {72, 159, 113, 20}, {}, kShown},
    {"标签_现病史", K::Label, D, {211, 96, 48, 24}, "现病史"},
    {"编辑框_现病史", K::TextEdit, D, {264, 96, 368, 75}, {}, kShownText},
    {"标签_中药处方", K::Label, D, {208, 192, 48, 20}, "中药处方"},
    {"编辑框_中药处方", K::TextEdit, D, {264, 184, 368, 75}, {}, kShownText},
    {"按钮_打印", K::Button, D, {88, 190, 80, 30}, "打   印", opt::StrongFocus},
    {"按钮_退出", K::Button, D, {88, 238, 80, 30}, "退   出", opt::StrongFocus},
};

inline constexpr ui::WindowLayout kLayout{"QueryWindow", 667, 525, kControls};

}  // namespace rx::query_layout
