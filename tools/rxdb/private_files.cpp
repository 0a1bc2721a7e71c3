#include "tools/rxdb/private_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rx::rxdb {

mode_t privateFileMode(mode_t umask) {
    return (umask & 0060) == 0060 ? 0600 : 0660;
}

mode_t currentUmask() {
    mode_t old = ::umask(0077);
    ::umask(old);
    return old;
}

std::string createPrivateFile(const std::filesystem::path& file) {
    // O_EXCL: never overwrite; an empty file is an empty database to SQLite.
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::error_code ec;
        return file.string() + (std::filesystem::exists(file, ec)
                                    ? ": already exists, not overwritten"
                                    : ": cannot be created");
    }
    // fchmod is not limited by the umask: the group gets its share whatever it says.
    bool moded = ::fchmod(fd, privateFileMode(currentUmask())) == 0;
    ::close(fd);
    return moded ? std::string() : file.string() + ": cannot set its permissions";
}

bool makePrivate(const std::filesystem::path& file) {
    return ::chmod(file.c_str(), privateFileMode(currentUmask())) == 0;
}

void keepFilesPrivate() {
    ::umask(privateFileMode(currentUmask()) == 0600 ? 0077 : 0007);
}

}  // namespace rx::rxdb
