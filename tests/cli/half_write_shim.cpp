// Loaded into quill by a fault test (LD_PRELOAD): the first pwrite of two
// bytes or more writes the first half of them and reports that; the pwrite
// after it fails with EIO, and later ones write as asked. So a block is left
// written in part, as a disk that fails in the middle of a write leaves it,
// and the old bytes can be written back. With HALF_WRITE_STUCK set, every
// pwrite after the half fails.
#include <dlfcn.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

namespace {
using Pwrite = ssize_t (*)(int, const void*, std::size_t, off_t);
enum class Stage { Half, Fail, Done };
Stage stage = Stage::Half;

ssize_t halfWrite(const char* name, int fd, const void* buf, std::size_t n, off_t pos) {
    if (stage == Stage::Fail) {
        if (!std::getenv("HALF_WRITE_STUCK"))
            stage = Stage::Done;
        errno = EIO;
        return -1;
    }
    const auto real = reinterpret_cast<Pwrite>(dlsym(RTLD_NEXT, name));
    if (!real)
        return -1;
    if (stage == Stage::Half && n >= 2) {
        stage = Stage::Fail;
        return real(fd, buf, n / 2, pos);
    }
    return real(fd, buf, n, pos);
}
} // namespace

extern "C" ssize_t pwrite(int fd, const void* buf, std::size_t n, off_t pos) {
    return halfWrite("pwrite", fd, buf, n, pos);
}

extern "C" ssize_t pwrite64(int fd, const void* buf, std::size_t n, off_t pos) {
    return halfWrite("pwrite64", fd, buf, n, pos);
}
