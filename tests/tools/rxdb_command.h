#pragma once
// Running the built rxdb as an administrator does, on files in a folder whose
// name holds every character a connection text treats specially.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace rx::test {

// ';' ends a value in a connection text, braces quote one, and the space and
// the Chinese characters are what a clinic's folder names hold anyway.
inline const char* const kAwkwardFolder = "c;d {x} 仓库";

struct CommandRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// rxdb with these arguments, each passed as one word whatever it holds.
inline CommandRun runRxdb(const std::vector<std::string>& args) {
    std::string line = "'" RX_RXDB_EXE "'";
    for (const std::string& a : args) {
        line += " '";
        for (char c : a) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += "'";
    }
    CommandRun run;
    if (FILE* p = ::popen((line + " 2>&1").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) run.output.append(buf, n);
        const int status = ::pclose(p);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

// Everything in folder, its subfolders included, by path relative to it.
inline std::vector<std::string> filesUnder(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
        out.push_back(std::filesystem::relative(e.path(), folder).string());
    return out;
}

}  // namespace rx::test
