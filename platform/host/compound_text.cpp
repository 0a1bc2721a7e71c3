#include "platform/host/compound_text.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace rx::host {

CompoundTextDecoder::~CompoundTextDecoder() {
    if (display_) XCloseDisplay(display_);
}

std::optional<std::string> CompoundTextDecoder::toUtf8(const std::string& compoundText) {
    if (!display_) display_ = XOpenDisplay(nullptr);
    if (!display_) return std::nullopt;
    std::string bytes = compoundText;  // Xlib takes the bytes as non-const
    XTextProperty property{reinterpret_cast<unsigned char*>(bytes.data()),
                           XInternAtom(display_, "COMPOUND_TEXT", False), 8, bytes.size()};
    char** list = nullptr;
    int count = 0;
    // A positive result counts characters Xlib could not convert; the rest is kept.
    if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) < Success || !list)
        return std::nullopt;
    std::string text = count > 0 ? std::string(list[0]) : std::string();
    XFreeStringList(list);
    return text;
}

}  // namespace rx::host
