// The host frame on an X11 desktop, read with XCB: see docs/host-frame.md.

#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/host/compound_text.h"
#include "platform/host/host_access.h"
#include "platform/text/gb18030.h"

namespace rx::host {
namespace {

// ASCII letters compared without case, as Win32 compares class names.
bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Latin-1 bytes (the STRING type) in UTF-8.
std::string latin1ToUtf8(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// A window property as it is stored: its type (NONE when the window has no
// such property) and its bytes.
struct Property {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::string bytes;
};

class X11Host final : public HostAccess {
public:
    explicit X11Host(xcb_connection_t* connection) : c_(connection) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        utf8_ = atom("UTF8_STRING");
        compoundText_ = atom("COMPOUND_TEXT");
        netWmName_ = atom("_NET_WM_NAME");
        clientList_ = atom("_NET_CLIENT_LIST");
        controlId_ = atom("HIS_CONTROL_ID");
        controlText_ = atom("HIS_CONTROL_TEXT");
    }
    ~X11Host() override { xcb_disconnect(c_); }

    Window FindWindowExA(Window parent, Window childAfter, const std::string& className,
                         const std::string& title) override {
        if (parent != 0 || childAfter != 0) return 0;  // the program asks only for a top level
        for (xcb_window_t w : topLevels())
            if (hasClass(w, className) && titleOf(w) == title) return w;
        return 0;
    }

    Window GetDlgItem(Window dialog, int identifier) override {
        if (!dialog) return 0;
        for (xcb_window_t child : children(xcb_window_t(dialog))) {
            const std::optional<Property> id = property(child, controlId_);
            if (id && id->type == XCB_ATOM_CARDINAL && id->bytes.size() == 4) {
                std::uint32_t value = 0;
                std::memcpy(&value, id->bytes.data(), 4);
                if (value == std::uint32_t(identifier)) return child;
            }
        }
        return 0;
    }

    // A control without a text of its own has the empty text, as a Win32 control
    // whose text was never set; only a window that is not there writes nothing.
    std::intptr_t SendMessageA(Window window, unsigned message, std::uintptr_t wParam,
                               char* lParam) override {
        if (!window) return 0;
        const std::optional<Property> published = property(xcb_window_t(window), controlText_);
        if (!published) return 0;
        const std::string text = rx::text::utf8ToGb18030(utf8Of(*published)).bytes;
        if (message == WM_GETTEXTLENGTH) return std::intptr_t(text.size());
        if (message != WM_GETTEXT || wParam == 0 || !lParam) return 0;
        const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
        std::memcpy(lParam, text.data(), n);
        lParam[n] = '\0';
        return std::intptr_t(n);
    }

private:
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // nullopt when the window is not there (any more).
    std::optional<Property> property(xcb_window_t w, xcb_atom_t name) {
        xcb_generic_error_t* error = nullptr;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 24), &error);
        std::free(error);
        if (!reply) return std::nullopt;
        Property result{reply->type,
                        std::string(static_cast<const char*>(xcb_get_property_value(reply)),
                                    std::size_t(xcb_get_property_value_length(reply)))};
        std::free(reply);
        return result;
    }

    // A text property in UTF-8 whichever of the three text types it is stored in.
    std::string utf8Of(const Property& p) {
        if (p.type == utf8_) return p.bytes;
        if (p.type == XCB_ATOM_STRING) return latin1ToUtf8(p.bytes);
        if (p.type == compoundText_) return compoundTextDecoder_.toUtf8(p.bytes).value_or("");
        return {};
    }

    std::vector<xcb_window_t> children(xcb_window_t w) {
        std::vector<xcb_window_t> out;
        xcb_generic_error_t* error = nullptr;
        xcb_query_tree_reply_t* reply = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), &error);
        std::free(error);
        if (reply) {
            const xcb_window_t* list = xcb_query_tree_children(reply);
            out.assign(list, list + xcb_query_tree_children_length(reply));
        }
        std::free(reply);
        return out;
    }

    // The window manager's list of client windows, or, without one, the
    // root's children and their children (a reparenting frame in between).
    std::vector<xcb_window_t> topLevels() {
        if (const auto list = property(root_, clientList_);
            list && list->type == XCB_ATOM_WINDOW && !list->bytes.empty()) {
            std::vector<xcb_window_t> out(list->bytes.size() / 4);
            std::memcpy(out.data(), list->bytes.data(), out.size() * 4);
            return out;
        }
        std::vector<xcb_window_t> out;
        for (xcb_window_t w : children(root_)) {
            out.push_back(w);
            for (xcb_window_t inner : children(w)) out.push_back(inner);
        }
        return out;
    }

    bool hasClass(xcb_window_t w, const std::string& className) {
        // WM_CLASS holds the instance and the class name, each ended by a zero.
        const std::optional<Property> wmClass = property(w, XCB_ATOM_WM_CLASS);
        if (!wmClass || wmClass->type != XCB_ATOM_STRING) return false;
        const std::string& both = wmClass->bytes;
        const std::size_t split = both.find('\0');
        const std::string instance = both.substr(0, split);
        const std::string klass =
            split == std::string::npos ? std::string() : std::string(both.c_str() + split + 1);
        return sameIgnoringCase(klass, className) || sameIgnoringCase(instance, className);
    }

    // The title in GB18030: _NET_WM_NAME, or WM_NAME when that is missing.
    std::string titleOf(xcb_window_t w) {
        std::optional<Property> name = property(w, netWmName_);
        if (!name || name->type != utf8_) name = property(w, XCB_ATOM_WM_NAME);
        return name ? rx::text::utf8ToGb18030(utf8Of(*name)).bytes : std::string();
    }

    xcb_connection_t* c_;
    CompoundTextDecoder compoundTextDecoder_;
    xcb_window_t root_ = 0;
    xcb_atom_t utf8_ = 0, compoundText_ = 0, netWmName_ = 0, clientList_ = 0, controlId_ = 0,
               controlText_ = 0;
};

}  // namespace

std::unique_ptr<HostAccess> openX11Host() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<X11Host>(connection);
}

}  // namespace rx::host
