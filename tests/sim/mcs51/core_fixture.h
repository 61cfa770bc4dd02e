#pragma once
// A core on 64 KB of zeroed unified memory, with small programs placed by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sim/mcs51/mcs51_core.h"

namespace mcs51::testing {

class CoreFixture : public ::testing::Test {
 protected:
  CoreFixture() {
    core.setMemory(memory.data(), static_cast<std::uint32_t>(memory.size()));
    core.reset();
  }
  // Places `code` at `at` and returns the address after it.
  std::uint16_t load(std::initializer_list<std::uint8_t> code, std::uint16_t at = 0) {
    for (std::uint8_t b : code) memory[at++] = b;
    return at;
  }
  // Resets the core, places `code` at 0 followed by SJMP to itself, and runs until that SJMP.
  std::uint16_t runSnippet(std::initializer_list<std::uint8_t> code) {
    core.reset();
    const std::uint16_t end = load(code);
    load({0x80, 0xFE}, end);
    core.runInstructions(100'000, end);
    EXPECT_EQ(core.pc(), end) << "snippet did not reach its end";
    return end;
  }
  std::uint8_t acc() const { return core.sfr(0xE0); }
  std::uint8_t psw() const { return core.sfr(0xD0); }

  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0);
  Core core;
};

}  // namespace mcs51::testing
