// A child that fills a large pipe: it enlarges the pipe of its standard error
// to 1 MiB, writes the number of bytes given as its only argument there in
// lines of 1024 bytes, then the line "LAST", and exits 0. It exits 3 when the
// pipe cannot be enlarged, so that a test sees that its case was not made.

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

bool write_all(const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(STDERR_FILENO, data, size);
        if (written < 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    if (::fcntl(STDERR_FILENO, F_SETPIPE_SZ, 1 << 20) < (1 << 20))
        return 3;
    const long total = std::atol(argv[1]);
    const std::string line = std::string(1023, 'x') + '\n';
    for (long written = 0; written < total; written += static_cast<long>(line.size()))
        if (!write_all(line.data(), line.size()))
            return 4;
    return write_all("LAST\n", 5) ? 0 : 4;
}
