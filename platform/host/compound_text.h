#pragma once
// X11's COMPOUND_TEXT, the ISO 2022 form that Xlib, and with it Qt and most
// toolkits, writes into WM_NAME for a title beyond Latin-1. Xlib decodes it,
// whatever the locale, over a display connection of its own opened on first use.

#include <optional>
#include <string>

struct _XDisplay;  // Xlib's Display, kept out of this header with Xlib's macros

namespace rx::host {

class CompoundTextDecoder {
public:
    CompoundTextDecoder() = default;
    ~CompoundTextDecoder();
    CompoundTextDecoder(const CompoundTextDecoder&) = delete;
    CompoundTextDecoder& operator=(const CompoundTextDecoder&) = delete;

    // The text in UTF-8; nullopt when there is no display or the bytes do not decode.
    std::optional<std::string> toUtf8(const std::string& compoundText);

private:
    _XDisplay* display_ = nullptr;
};

}  // namespace rx::host
