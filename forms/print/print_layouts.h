#pragma once
// The controls of the two print windows: the grid and its preview button.

#include "platform/ui/layout_table.h"

namespace rx::print_layouts {

using namespace ui::table_names;

inline constexpr Control kSlipControls[] = {
    {"表格1", K::Grid, {}, {0, 8, 512, 280}, {}},
    {"按钮_打印预览", K::Button, {}, {384, 328, 96, 24}, "打印预览", opt::StrongFocus},
};
inline constexpr ui::WindowLayout kSlip{"SlipPrintWindow", 555, 401, kSlipControls};

inline constexpr Control kQueryControls[] = {
    {"表格_查询打印", K::Grid, {}, {8, 16, 480, 328}, {}},
    {"按钮_打印预览", K::Button, {}, {416, 368, 80, 24}, "打印预览", opt::StrongFocus},
};
inline constexpr ui::WindowLayout kQuery{"QueryPrintWindow", 546, 438, kQueryControls};

}  // namespace rx::print_layouts
