#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Errors.h"

namespace brelinde {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { int f = fd_; fd_ = -1; return f; }

 private:
  int fd_;
};

[[noreturn]] void ThrowCreate(const std::string& path, int err) {
  throw EFCreateError(Format(msg::kFileCreateError, {path, std::strerror(err)}));
}

}  // namespace

void WriteWholeFile(const std::string& path, std::span<const std::byte> bytes) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) ThrowCreate(path, errno);  // a link gives ELOOP
  const std::byte* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd.get(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowCreate(path, errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::close(fd.release()) != 0) ThrowCreate(path, errno);
}

void WriteWholeFile(const std::string& path, std::string_view text) {
  WriteWholeFile(path, std::as_bytes(std::span(text.data(), text.size())));
}

std::string ReadWholeFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    throw EInOutError(Format(msg::kFileReadError, {path, std::strerror(errno)}));
  }
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(Format(msg::kFileReadError, {path, std::strerror(errno)}));
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

}  // namespace brelinde
