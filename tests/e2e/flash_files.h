#pragma once
// Flash images and files for the end-to-end tests, in the tool's two layouts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPageData = 512;
constexpr std::size_t kPageRaw = 528;
constexpr std::size_t kPagesPerBlock = 32;
constexpr std::size_t kBlockRaw = kPageRaw * kPagesPerBlock;
constexpr std::size_t kBlockCount = 4096;
constexpr std::size_t kDeviceRaw = kBlockRaw * kBlockCount;  // 69,206,016

// A raw-layout image of `pages` pages in which every page differs from every other one, its
// spare bytes included; `seed` gives another such image.
Bytes patternImage(std::size_t pages, std::uint64_t seed);

// The main-area layout of a raw image: its spare bytes left out.
Bytes mainAreaOf(const Bytes& raw);

bool writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

// Empty when equal, otherwise where and how the two first differ.
std::string firstDifference(const Bytes& actual, const Bytes& expected);

// One hex-view line as the command screen shows it, for the 16 bytes at `bytes`.
std::string hexViewLine(unsigned offset, const std::uint8_t* bytes);

// A fresh folder for one test's files, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
