#pragma once
// Taking the current patient out of the hospital system's doctor-workstation
// frame: where its fields are, and how a field's text is read and capped.

#include <string>

#include "platform/host/host_access.h"

namespace rx::host {

// The frame's class and title (GB18030), and the control paths below it.
inline constexpr char kFrameClass[] = "his_frame";
std::string frameTitle();
inline constexpr int kPathSteps[] = {66126, 262818, 262816};
inline constexpr int kNameControl = 197304;
inline constexpr int kComplaintControls[] = {197322, 197320, 1049234};
inline constexpr std::size_t kTextCap = 50000;

// The leaf control at the end of the path ending in `last`; 0 when the frame
// or any step is missing.
Window findHostControl(HostAccess& host, int last);

// The control's whole text (GB18030 bytes). With no window: one space. A text
// of kTextCap bytes or more is cut to its first kTextCap bytes and a note of
// how many bytes were left off. The cut deliberately keeps whole characters:
// it ends after the last character that fits whole, and never leaves a lone
// lead byte (a broken character) to be stored.
std::string readHostText(HostAccess& host, Window control);

// The patient's name and complaint as the frame shows them now.
struct HostPatient {
    std::string name;
    std::string complaint;  // the three pieces joined, nothing between them
};
HostPatient readHostPatient(HostAccess& host);

}  // namespace rx::host
