#pragma once
// Reading another program's windows, under the names and with the meaning of
// the Win32 calls the host-linked build was written against: a window found
// by class and exact title, its controls by identifier, their texts by
// message. Texts are GB18030 bytes, as an ANSI window hands them out.
//
// Two implementations: X11Host reads a host frame on this desktop (the
// protocol is in docs/host-frame.md), FakeHost holds windows in memory for tests.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace rx::host {

using Window = std::uintptr_t;  // 0: no window
inline constexpr unsigned WM_GETTEXT = 13;
inline constexpr unsigned WM_GETTEXTLENGTH = 14;

class HostAccess {
public:
    virtual ~HostAccess() = default;
    // The first top-level window (parent 0, childAfter 0) of that class and
    // exactly that title; 0 when there is none.
    virtual Window FindWindowExA(Window parent, Window childAfter, const std::string& className,
                                 const std::string& title) = 0;
    // The child of `dialog` with that control identifier; 0 when there is none.
    virtual Window GetDlgItem(Window dialog, int identifier) = 0;
    // WM_GETTEXTLENGTH: the text's length in bytes. WM_GETTEXT: copies at most
    // wParam − 1 bytes and a terminating zero into lParam, returns the bytes
    // copied. Either gives 0 for no window.
    virtual std::intptr_t SendMessageA(Window window, unsigned message, std::uintptr_t wParam,
                                       char* lParam) = 0;
};

// Windows in memory: a host frame and its controls, for tests.
class FakeHost final : public HostAccess {
public:
    // A top-level window; returns its handle.
    Window addFrame(const std::string& className, const std::string& title);
    // A control under `parent` with an identifier and a text (GB18030 bytes).
    Window addControl(Window parent, int identifier, const std::string& text = {});
    void setText(Window window, const std::string& text);

    Window FindWindowExA(Window parent, Window childAfter, const std::string& className,
                         const std::string& title) override;
    Window GetDlgItem(Window dialog, int identifier) override;
    std::intptr_t SendMessageA(Window window, unsigned message, std::uintptr_t wParam,
                               char* lParam) override;

private:
    struct Node {
        Window parent = 0;
        int identifier = 0;
        std::string className, text;
    };
    std::map<Window, Node> windows_;
    Window next_ = 1;
};

// The host frame on the X11 desktop of DISPLAY; nullptr when there is no
// display to talk to (every lookup then finds nothing).
std::unique_ptr<HostAccess> openX11Host();

}  // namespace rx::host
