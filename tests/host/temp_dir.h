#pragma once
// A fresh directory for one test's files, removed afterwards.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct TempDir {
  TempDir() {
    path = std::filesystem::temp_directory_path() /
           ("nandbridge-host-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
            std::to_string(counter()++));
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string file(const char* name) const { return (path / name).string(); }

  static void write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path path;

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
};
