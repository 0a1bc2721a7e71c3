// The host frame on an X11 desktop, read with XCB: see docs/host-frame.md.

#include <xcb/xcb.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/host/host_access.h"
#include "platform/text/gb18030.h"

namespace rx::host {
namespace {

class X11Host final : public HostAccess {
public:
    explicit X11Host(xcb_connection_t* connection) : c_(connection) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        utf8_ = atom("UTF8_STRING");
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
            const std::optional<std::string> id = property(child, controlId_, XCB_ATOM_CARDINAL);
            if (id && id->size() == 4) {
                std::uint32_t value = 0;
                std::memcpy(&value, id->data(), 4);
                if (value == std::uint32_t(identifier)) return child;
            }
        }
        return 0;
    }

    std::intptr_t SendMessageA(Window window, unsigned message, std::uintptr_t wParam,
                               char* lParam) override {
        if (!window) return 0;
        const std::optional<std::string> utf8 = property(xcb_window_t(window), controlText_, utf8_);
        if (!utf8) return 0;
        const std::string text = rx::text::utf8ToGb18030(*utf8).bytes;
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

    std::optional<std::string> property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, name, type, 0, 1u << 24), nullptr);
        std::optional<std::string> value;
        if (reply && reply->type != XCB_ATOM_NONE)
            value.emplace(static_cast<const char*>(xcb_get_property_value(reply)),
                          std::size_t(xcb_get_property_value_length(reply)));
        std::free(reply);
        return value;
    }

    std::vector<xcb_window_t> children(xcb_window_t w) {
        std::vector<xcb_window_t> out;
        xcb_query_tree_reply_t* reply = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
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
        if (const auto list = property(root_, clientList_, XCB_ATOM_WINDOW);
            list && !list->empty()) {
            std::vector<xcb_window_t> out(list->size() / 4);
            std::memcpy(out.data(), list->data(), out.size() * 4);
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
        const std::optional<std::string> wmClass = property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        if (!wmClass) return false;
        const std::size_t split = wmClass->find('\0');
        const std::string instance = wmClass->substr(0, split);
        const std::string klass =
            split == std::string::npos ? std::string() : std::string(wmClass->c_str() + split + 1);
        return klass == className || instance == className;
    }

    std::string titleOf(xcb_window_t w) {
        if (const auto name = property(w, netWmName_, utf8_))
            return rx::text::utf8ToGb18030(*name).bytes;
        return property(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING).value_or(std::string());
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_atom_t utf8_ = 0, netWmName_ = 0, clientList_ = 0, controlId_ = 0, controlText_ = 0;
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
