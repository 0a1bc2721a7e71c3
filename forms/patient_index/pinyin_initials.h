#pragma once
// The pinyin initials of a patient's name, as the patient index stores them:
// 张三 gives ZS, Mary Wang gives MARY WANG, O'Neil gives ONEIL.

#include <QString>
#include <string>
#include <string_view>

namespace rx::patient_index {

// Walks the GB18030 bytes of the name with a skip-next flag. A byte of the kept
// set (printable ASCII but " ' and |) is copied, a-z upper-cased. Any other byte
// turns the flag off when it is on; else it is read with the byte after it as one
// GB2312 code, adds that code's letter (upper case), and turns the flag on.
// So a quote swallows nothing kept: a"b gives AB.
//
// Characters outside GB2312's two-byte range (four-byte ones like 𠮷, GBK ones
// like 丂 0x8140) are skipped whole and clear the flag, so that their digits or
// their '@'-like second byte never show up as initials. Everything else goes byte
// by byte exactly as described, misreadings after a stray quote included, so the
// initials of GB2312 and ASCII names come out as they always have.
std::string pinyinInitials(std::string_view gb18030);

// The same for a name as the window holds it.
QString pinyinInitials(const QString& name);

}  // namespace rx::patient_index
