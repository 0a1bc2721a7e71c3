#pragma once
// The controls of LoginWindow, over its background picture.

#include "platform/ui/layout_table.h"

namespace rx::login_layout {

using namespace ui::table_names;

inline constexpr Control kControls[] = {
    {"透明标签1", K::TransparentLabel, {}, {200, 154, 40, 24}, "用户名", opt::NoFocus},
    {"透明标签2", K::TransparentLabel, {}, {200, 213, 40, 24}, "密  码", opt::NoFocus},
    {"编辑框1", K::Edit, {}, {260, 150, 110, 30}, {}},
    {"编辑框2", K::PasswordEdit, {}, {260, 206, 110, 30}, {}},
    {"按钮1", K::Button, {}, {263, 256, 64, 32}, "登陆"},
};

inline constexpr ui::WindowLayout kLayout{"LoginWindow", 600, 522, kControls};

}  // namespace rx::login_layout
