#include "tests/e2e/flash_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::uint64_t splitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

Bytes patternImage(std::size_t pages, std::uint64_t seed) {
  Bytes image(pages * kPageRaw);
  for (std::size_t page = 0; page < pages; ++page) {
    std::uint64_t state = seed * 0x100000001B3ull + page;
    std::uint8_t* bytes = image.data() + page * kPageRaw;
    for (std::size_t i = 0; i < kPageRaw; i += 8) {
      const std::uint64_t word = splitMix(state);
      std::memcpy(bytes + i, &word, 8);  // 528 is a multiple of 8
    }
    // The page number in its first bytes makes every page distinct for certain.
    bytes[0] = static_cast<std::uint8_t>(page >> 16);
    bytes[1] = static_cast<std::uint8_t>(page >> 8);
    bytes[2] = static_cast<std::uint8_t>(page);
  }
  return image;
}

Bytes mainAreaOf(const Bytes& raw) {
  Bytes main;
  main.reserve(raw.size() / kPageRaw * kPageData);
  for (std::size_t at = 0; at + kPageRaw <= raw.size(); at += kPageRaw) {
    main.insert(main.end(), raw.begin() + at, raw.begin() + at + kPageData);
  }
  return main;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string firstDifference(const Bytes& actual, const Bytes& expected) {
  const std::size_t common = std::min(actual.size(), expected.size());
  const auto mismatch = std::mismatch(actual.begin(), actual.begin() + common, expected.begin());
  char text[160];
  if (mismatch.first != actual.begin() + common) {
    const std::size_t at = static_cast<std::size_t>(mismatch.first - actual.begin());
    std::snprintf(text, sizeof text, "first difference at 0x%zX (page %zu, byte %zu): %02X, expected %02X",
                  at, at / kPageRaw, at % kPageRaw, *mismatch.first, *mismatch.second);
    return text;
  }
  if (actual.size() != expected.size()) {
    std::snprintf(text, sizeof text, "size %zu, expected %zu", actual.size(), expected.size());
    return text;
  }
  return {};
}

std::string hexViewLine(unsigned offset, const std::uint8_t* bytes) {
  char text[96];
  int at = std::snprintf(text, sizeof text, "%04X: ", offset);
  for (int i = 0; i < 16; ++i) {
    at += std::snprintf(text + at, sizeof text - at, "%c%02X", (i == 4 || i == 8 || i == 12) ? '-' : ' ', bytes[i]);
  }
  at += std::snprintf(text + at, sizeof text - at, "  ");
  for (int i = 0; i < 16; ++i) text[at++] = (bytes[i] >= 0x20 && bytes[i] <= 0x7F) ? char(bytes[i]) : '.';
  text[at] = '\0';
  std::string line(text);
  return line.substr(0, line.find_last_not_of(' ') + 1);  // as the screen model reports rows
}

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/nandbridge-e2e-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}
