// The check every window's layout test relies on sees a control out of its
// place, a caption changed, siblings over each other, a control outside its
// group box and a control missing; the builder makes what the table says.

#include "tests/platform_ui/layout_check.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <functional>
#include <vector>

namespace {

using namespace rx::ui::table_names;
using rx::ui::BuiltControls;

constexpr Control kGroup{"框", K::GroupBox, {}, {0, 0, 200, 60}, "组"};
constexpr Control kLabel{"甲", K::Label, "框", {10, 10, 40, 20}, "姓名"};
constexpr Control kEdit{"乙", K::Edit, "框", {60, 10, 80, 20}, {}};

std::string faultsOf(const std::vector<Control>& table,
                     const std::function<void(const BuiltControls&)>& change = {}) {
    const rx::ui::WindowLayout layout{"Test", 206, 89, table};
    QWidget window;
    window.setFixedSize(200, 60);
    const BuiltControls built(&window, layout, false);
    if (change) change(built);
    return rx::test::layoutFaults(&window, layout, false);
}

TEST(LayoutCheck, SeesEveryDifferenceFromTheTable) {
    Control over = kEdit, outside = kEdit, overOnPurpose = kEdit, hostOnly = kEdit;
    over.at.x = 40;
    outside.at.width = 180;
    overOnPurpose.at.x = 40;
    overOnPurpose.options = opt::MayOverlap;
    hostOnly.options = opt::HostLinkedOnly;
    Control labelOnPurpose = kLabel;
    labelOnPurpose.options = opt::MayOverlap;
    const auto move = [](const BuiltControls& b) { b.get<QWidget>("乙")->move(61, 10); };
    const auto recaption = [](const BuiltControls& b) {
        b.get<QLabel>("甲")->setText(QStringLiteral("姓"));
    };
    const auto extra = [](const BuiltControls& b) {
        (new QLabel(b.get<QWidget>("框")))->setObjectName(QStringLiteral("丙"));
    };
    EXPECT_EQ(faultsOf({kGroup, kLabel, kEdit}), "");
    EXPECT_EQ(faultsOf({kGroup, kLabel, kEdit}, move), "乙: at 61,10 80x20");
    EXPECT_EQ(faultsOf({kGroup, kLabel, kEdit}, recaption), "甲: caption 姓");
    EXPECT_EQ(faultsOf({kGroup, kLabel, kEdit}, extra), "丙: not in the table");
    EXPECT_EQ(faultsOf({kGroup, kLabel, over}), "乙: over 甲");
    EXPECT_EQ(faultsOf({kGroup, labelOnPurpose, overOnPurpose}), "");
    EXPECT_EQ(faultsOf({kGroup, kLabel, outside}), "乙: outside its parent");
    EXPECT_EQ(faultsOf({kGroup, kLabel, hostOnly}), "");  // the standalone build has none
}

}  // namespace
