#pragma once
// Storing the operator's chosen path into the tool's fixed file-name buffers.
#include <cstddef>
#include <string_view>

// The longest path the tool keeps, as the Windows file requester does.
constexpr std::size_t kMaxFileNameLength = 259;

// The file's name without its folder: the part after the last '/'.
std::string_view fileTitleOf(std::string_view path);

// True when `path` fits `capacity` (terminator included) and the tool's limit.
bool fileChoiceFits(std::string_view path, std::size_t capacity);

// Copies a fitting `path` into `buffer` and its title into `title` (cut to `titleCapacity`,
// which is harmless: the title is never read). Returns false, changing nothing, when it
// does not fit.
bool storeFileChoice(std::string_view path, char* buffer, std::size_t capacity, char* title,
                     std::size_t titleCapacity);
