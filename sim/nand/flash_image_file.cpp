#include "sim/nand/flash_image_file.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

std::string sizeMessage(const std::string& path, std::uint64_t actual, std::uint64_t wanted) {
  return path + ": the file has " + std::to_string(actual) + " bytes, a flash image has " +
         std::to_string(wanted) + " (4096 blocks of 32 pages of 528 bytes)";
}

}  // namespace

FlashImageFile::~FlashImageFile() { close(); }

#if defined(_WIN32)

namespace {

std::string lastWindowsError() {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 GetLastError(), 0, text, sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

bool FlashImageFile::open(const std::string& path, std::uint64_t size, std::string& error) {
  close();
  const bool existed = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = path + ": cannot open the flash image: " + lastWindowsError();
    return false;
  }
  LARGE_INTEGER actual{};
  GetFileSizeEx(file, &actual);
  if (existed && std::uint64_t(actual.QuadPart) != size) {
    error = sizeMessage(path, std::uint64_t(actual.QuadPart), size);
    CloseHandle(file);
    return false;
  }
  if (!existed) {
    LARGE_INTEGER end{};
    end.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
      error = path + ": cannot create the flash image: " + lastWindowsError();
      CloseHandle(file);
      DeleteFileA(path.c_str());
      return false;
    }
  }
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, DWORD(size >> 32),
                                      DWORD(size & 0xFFFFFFFFu), nullptr);
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, SIZE_T(size)) : nullptr;
  if (view == nullptr) {
    error = path + ": cannot map the flash image: " + lastWindowsError();
    if (mapping) CloseHandle(mapping);
    CloseHandle(file);
    return false;
  }
  file_ = file;
  mapping_ = mapping;
  data_ = static_cast<std::uint8_t*>(view);
  size_ = size;
  if (!existed) std::memset(data_, 0xFF, size_);
  return true;
}

void FlashImageFile::close() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != nullptr) CloseHandle(file_);
  data_ = nullptr;
  mapping_ = nullptr;
  file_ = nullptr;
}

#else

bool FlashImageFile::open(const std::string& path, std::uint64_t size, std::string& error) {
  close();
  bool created = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    created = fd >= 0;
  }
  if (fd < 0) {
    error = path + ": cannot open the flash image: " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = path + ": not a regular file";
    ::close(fd);
    return false;
  }
  if (created) {
    if (ftruncate(fd, off_t(size)) != 0) {
      error = path + ": cannot create the flash image: " + std::strerror(errno);
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
  } else if (std::uint64_t(info.st_size) != size) {
    error = sizeMessage(path, std::uint64_t(info.st_size), size);
    ::close(fd);
    return false;
  }
  void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    error = path + ": cannot map the flash image: " + std::strerror(errno);
    ::close(fd);
    if (created) ::unlink(path.c_str());
    return false;
  }
  fd_ = fd;
  data_ = static_cast<std::uint8_t*>(view);
  size_ = size;
  if (created) std::memset(data_, 0xFF, size_);
  return true;
}

void FlashImageFile::close() {
  if (data_ != nullptr) munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
  data_ = nullptr;
  fd_ = -1;
}

#endif

}  // namespace sim
