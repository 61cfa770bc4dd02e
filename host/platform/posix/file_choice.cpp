#include "host/platform/posix/file_choice.h"

#include <algorithm>
#include <cstring>

std::string_view fileTitleOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool fileChoiceFits(std::string_view path, std::size_t capacity) {
  return capacity > 0 && path.size() <= std::min(capacity - 1, kMaxFileNameLength) &&
         path.find('\0') == std::string_view::npos;
}

bool storeFileChoice(std::string_view path, char* buffer, std::size_t capacity, char* title,
                     std::size_t titleCapacity) {
  if (buffer == nullptr || !fileChoiceFits(path, capacity)) return false;
  std::memcpy(buffer, path.data(), path.size());
  buffer[path.size()] = '\0';
  if (title != nullptr && titleCapacity > 0) {
    const std::string_view name = fileTitleOf(path);
    const std::size_t length = std::min(name.size(), titleCapacity - 1);
    std::memcpy(title, name.data(), length);
    title[length] = '\0';
  }
  return true;
}
