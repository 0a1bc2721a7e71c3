#pragma once
// A window's controls as one table: name, kind, parent, place, caption and
// options, in the order they are created (a later control lies on top of an
// earlier one). The window builds its controls from it (layout_builder.h),
// its test checks the screen against it, and the end-to-end scenarios click
// through a shell include the build writes from it. Plain data without Qt, so
// that the small program writing that include needs no window to read it.

#include <span>
#include <string_view>

namespace rx::ui {

enum class Kind {
    GroupBox,
    Label,
    TransparentLabel,  // text only, over the window's picture
    Edit,              // EditBox
    PasswordEdit,
    WholeNumberEdit,
    TextEdit,  // several lines
    Combo,
    DatePicker,  // the Chinese long date with a drop-down calendar
    Button,
    RadioButton,
    ReportList,
    ListBox,
    Grid,  // the print grid, made by the window (a layer above this one)
};

// Left, top, width, height in pixels of the parent's client area.
struct Rect {
    int x;
    int y;
    int width;
    int height;
};

// What a control does beyond its kind's defaults.
namespace opt {
enum : unsigned {
    Editable = 1u << 0,         // a combo box that takes typing
    DisplayOnly = 1u << 1,      // greyed, out of the Tab order, still readable
    Hidden = 1u << 2,           // built but not shown
    NoFocus = 1u << 3,          // never takes the keyboard
    StrongFocus = 1u << 4,      // a button that takes the keyboard by Tab and click
    WrapAnywhere = 1u << 5,     // several lines broken at a word or anywhere
    TabChangesFocus = 1u << 6,  // several lines where Tab walks the form
    ListFont = 1u << 7,         // the 16 px Song face of the drug and patient lists
    MayOverlap = 1u << 8,       // lies over a sibling on purpose
    HostLinkedOnly = 1u << 9,   // only in the build beside the host frame
    StandaloneOnly = 1u << 10,  // not in the build beside the host frame
};
}  // namespace opt

struct Control {
    std::string_view name;
    Kind kind;
    std::string_view parent;  // a group box of the table; empty for the window
    Rect at;
    std::string_view caption;  // label, button and group box texts
    unsigned options = 0;

    bool has(unsigned option) const { return (options & option) != 0; }
    // Whether this build of the program has the control.
    bool builtIn(bool hostLinked) const {
        return !(hostLinked ? has(opt::StandaloneOnly) : has(opt::HostLinkedOnly));
    }
};

struct WindowLayout {
    std::string_view window;  // the class name, as the shell include knows it
    int outerWidth;           // the frame's outer size, title bar included
    int outerHeight;
    std::span<const Control> controls;
};

// The short names the windows' tables are written with.
namespace table_names {
using ui::Control;
using K = ui::Kind;
namespace opt = ui::opt;
}  // namespace table_names

}  // namespace rx::ui
