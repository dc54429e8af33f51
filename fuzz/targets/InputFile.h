#pragma once
// The readers under test open a path, so each input goes through a real file. The
// files live in one private folder per process, on tmpfs when the machine has one,
// and are overwritten for every input rather than created anew.
#include "Check.h"
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzzio {

// Kept in plain storage so the clean-up at exit can still read it after the
// function-local statics are gone.
inline char g_folder[4096];

inline const std::string &folder()
{
    static const std::string dir = [] {
        std::string base;
        if (const char *env = std::getenv("VELLORAN_FUZZ_TMP"); env && *env)
            base = env;
        else if (access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        else
            base = "/tmp";
        std::string tmpl = base + "/velloran-fuzz-XXXXXX";
        if (tmpl.size() >= sizeof g_folder || !mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::memcpy(g_folder, tmpl.c_str(), tmpl.size() + 1);
        // A crashing run skips this; run_fuzz.sh removes the whole base folder.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(g_folder, ignored);
        });
        return tmpl;
    }();
    return dir;
}

// Writes the bytes to `name` in the private folder and returns its path.
inline QString write(const char *name, const uint8_t *data, size_t size)
{
    const std::string path = folder() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        std::perror(path.c_str());
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::perror(path.c_str());
            std::abort();
        }
        done += size_t(n);
    }
    ::close(fd);
    return QString::fromStdString(path);
}

} // namespace fuzzio
