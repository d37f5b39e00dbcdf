#include "services/DurableReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

bool WriteAndReplace(const std::filesystem::path& tmp, const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = std::rename(tmp.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}
