#pragma once
// A flash image file of a fixed size mapped into memory, so that the flash model works on the
// file itself and every change is in the file when the process ends.
#include <cstdint>
#include <string>

namespace sim {

class FlashImageFile {
 public:
  FlashImageFile() = default;
  ~FlashImageFile();
  FlashImageFile(const FlashImageFile&) = delete;
  FlashImageFile& operator=(const FlashImageFile&) = delete;

  // Maps `path` for reading and writing. A missing file is created with `size` bytes of
  // 0xFF; an existing one of another size is refused. On failure `error` says why.
  bool open(const std::string& path, std::uint64_t size, std::string& error);

  std::uint8_t* data() const { return data_; }

 private:
  void close();

  std::uint8_t* data_ = nullptr;
  std::uint64_t size_ = 0;
#if defined(_WIN32)
  void* file_ = nullptr;
  void* mapping_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace sim
