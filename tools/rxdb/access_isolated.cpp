// Reading an Access file in a child process: the library trusts the file's
// offsets, so a damaged file may crash it or send it round in circles. The
// child writes what it read into a pipe; the parent waits a bounded time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>

#include "tools/rxdb/access_reader.h"

namespace rx::rxdb::access {
namespace {

namespace fs = std::filesystem;

void putNumber(std::string& out, std::uint64_t v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
void putText(std::string& out, const std::string& s) {
    putNumber(out, s.size());
    out += s;
}

struct Cursor {
    const std::string& in;
    size_t at = 0;
    bool ok = true;
    std::uint64_t number() {
        std::uint64_t v = 0;
        if (in.size() - at < sizeof v) return ok = false, 0;
        std::memcpy(&v, in.data() + at, sizeof v);
        at += sizeof v;
        return v;
    }
    std::string text() {
        const std::uint64_t n = number();
        if (!ok || in.size() - at < n) return ok = false, std::string();
        at += n;
        return in.substr(at - n, n);
    }
};

// Reads everything until end of file from both pipes; false when the time
// runs out first.
bool drain(int result, int messages, std::string& data, std::string& log, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    pollfd fds[2] = {{result, POLLIN, 0}, {messages, POLLIN, 0}};
    std::string* sinks[2] = {&data, &log};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buf[65536];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) sinks[i]->append(buf, static_cast<size_t>(n));
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

[[noreturn]] void runChild(int result, int messages, const fs::path& file,
                           const ReadOptions& options) {
    ::dup2(messages, STDERR_FILENO);
    ReadResult r = read(file, options);
    const std::string bytes = r.ok() ? "1" + serialize(*r.database) : "0" + r.error;
    for (size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::write(result, bytes.data() + at, bytes.size() - at);
        if (n <= 0) ::_exit(3);
        at += static_cast<size_t>(n);
    }
    ::_exit(0);
}

std::string firstLine(const std::string& s) {
    return s.substr(0, std::min(s.find('\n'), size_t{200}));
}

}  // namespace

std::string serialize(const Database& db) {
    std::string out;
    putText(out, db.format);
    putText(out, db.codePage);
    putNumber(out, db.tables.size());
    for (const Table& t : db.tables) {
        putText(out, t.name);
        putNumber(out, static_cast<std::uint64_t>(t.rowsInFile));
        putNumber(out, t.columns.size());
        for (const Column& c : t.columns) {
            putText(out, c.name);
            putNumber(out, static_cast<std::uint64_t>(c.kind));
            putNumber(out, static_cast<std::uint64_t>(c.size));
            putNumber(out, c.autoNumber);
        }
        putNumber(out, t.rows.size());
        for (const Row& row : t.rows)
            for (const Cell& cell : row) {
                putNumber(out, cell.has_value());
                if (cell) putText(out, *cell);
            }
    }
    return out;
}

std::optional<Database> deserialize(const std::string& bytes) {
    Cursor in{bytes};
    Database db;
    db.format = in.text();
    db.codePage = in.text();
    for (std::uint64_t n = in.number(); in.ok && n > 0; --n) {
        Table& t = db.tables.emplace_back();
        t.name = in.text();
        t.rowsInFile = static_cast<long>(in.number());
        for (std::uint64_t c = in.number(); in.ok && c > 0; --c) {
            Column& col = t.columns.emplace_back();
            col.name = in.text();
            col.kind = static_cast<Kind>(in.number());
            col.size = static_cast<int>(in.number());
            col.autoNumber = in.number() != 0;
        }
        for (std::uint64_t r = in.number(); in.ok && r > 0; --r) {
            Row& row = t.rows.emplace_back();
            for (size_t c = 0; in.ok && c < t.columns.size(); ++c)
                row.push_back(in.number() ? Cell(in.text()) : Cell());
        }
    }
    if (!in.ok || in.at != bytes.size()) return std::nullopt;
    return db;
}

ReadResult readIsolated(const fs::path& file, const ReadOptions& options) {
    if (std::string e = checkFile(file); !e.empty()) return {std::nullopt, e};
    int result[2], messages[2];
    if (::pipe2(result, O_CLOEXEC) != 0) return {std::nullopt, "cannot make a pipe"};
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        ::close(result[0]), ::close(result[1]);
        return {std::nullopt, "cannot make a pipe"};
    }
    const pid_t child = ::fork();
    if (child == 0) runChild(result[1], messages[1], file, options);
    ::close(result[1]);
    ::close(messages[1]);
    std::error_code ec;
    const int limit = options.timeLimitSeconds > 0
                          ? options.timeLimitSeconds
                          : 60 + static_cast<int>(2 * (fs::file_size(file, ec) >> 20));
    std::string data, log;
    const bool finished = child > 0 && drain(result[0], messages[0], data, log, limit);
    ::close(result[0]);
    ::close(messages[0]);
    if (child < 0) return {std::nullopt, "cannot start the reader process"};
    if (!finished) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const std::string where = file.string() + ": ";
    if (!finished)
        return {std::nullopt, where + "reading took longer than " + std::to_string(limit) +
                                  " s; the file is damaged"};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || data.empty())
        return {std::nullopt,
                where + "the reader failed on it (" +
                    (WIFSIGNALED(status) ? std::string(strsignal(WTERMSIG(status)))
                                         : "exit " + std::to_string(WEXITSTATUS(status))) +
                    "); the file is damaged"};
    if (data[0] == '0') return {std::nullopt, data.substr(1)};
    if (!log.empty())
        return {std::nullopt, where + "damaged: the reader warned \"" + firstLine(log) + "\""};
    std::optional<Database> db = deserialize(data.substr(1));
    if (!db) return {std::nullopt, where + "the reader's answer was cut off"};
    return {std::move(db), {}};
}

}  // namespace rx::rxdb::access
