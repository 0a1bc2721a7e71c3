#pragma once
// An iconv descriptor that closes itself, for the conversions of this folder
// and for a library that takes descriptors of its own (libmdb).

#include <iconv.h>

namespace rx::text {

class Iconv {
public:
    Iconv(const char* to, const char* from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const;
    iconv_t get() const { return cd_; }
    // Hands the descriptor to a library that closes it itself.
    iconv_t release();

private:
    iconv_t cd_;
};

}  // namespace rx::text
