#pragma once
// A 64 MiB small-page NAND flash (4096 blocks x 32 pages x 528 bytes, 3.3 V, x8) at bus-cycle
// level. The array is a memory-mapped image file in the raw dump layout (page n at n * 528).
// Cycles are latched at the simulated time given by the caller (the WE# rising edge, or the
// RE# falling edge for a read); the ready line (R/B#) is a function of time.
//
// This header is the contract between the flash and its drivers (the reference bridge and
// the GPIF pin adapter of the chip model); keep it stable.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_time.h"

namespace sim {

enum class BusCycleKind : std::uint8_t { Command, Address, DataWrite, DataRead };

struct BusCycle {
  BusCycleKind kind;
  std::uint8_t value;
  SimTime time;
};

class NandFlash {
 public:
  static constexpr std::uint32_t PAGE_DATA_SIZE = 512;
  static constexpr std::uint32_t PAGE_RAW_SIZE = 528;
  static constexpr std::uint32_t PAGES_PER_BLOCK = 32;
  static constexpr std::uint32_t BLOCK_COUNT = 4096;
  static constexpr std::uint32_t PAGE_COUNT = PAGES_PER_BLOCK * BLOCK_COUNT;
  static constexpr std::uint64_t IMAGE_SIZE = std::uint64_t(PAGE_COUNT) * PAGE_RAW_SIZE;

  static constexpr SimTime READ_BUSY = microseconds(12);      // tR
  static constexpr SimTime PROGRAM_BUSY = microseconds(200);  // tPROG
  static constexpr SimTime ERASE_BUSY = milliseconds(2);      // tBERS

  NandFlash();
  ~NandFlash();
  NandFlash(const NandFlash&) = delete;
  NandFlash& operator=(const NandFlash&) = delete;

  // Maps the image file, creating it erased (all 0xFF) when missing. A file of another size
  // is refused with a message in `error`.
  bool openImage(const std::string& path, std::string& error);
  // An anonymous, erased image (tests).
  void useMemoryImage();

  std::uint8_t* image();
  const std::uint8_t* image() const;

  // Bus cycles.
  void commandCycle(std::uint8_t command, SimTime now);
  void addressCycle(std::uint8_t address, SimTime now);
  void dataWriteCycle(std::uint8_t data, SimTime now);
  std::uint8_t dataReadCycle(SimTime now);

  // R/B#: true (high) when ready.
  bool isReady(SimTime now) const;
  // The time at which the flash is (or became) ready; never, when stuck busy.
  SimTime readyTime() const;

  // Faults, settable by tests.
  void setBadBlock(std::uint32_t block, bool bad);
  void setStuckBusy(bool stuck);

  // Cycles that arrived while the flash was busy (a driver that ignored R/B#).
  std::uint64_t busyViolations() const;

  // Bus trace, off by default.
  void enableTrace(bool on);
  const std::vector<BusCycle>& trace() const;
  void clearTrace();

 private:
  struct State;
  State* state_;
};

}  // namespace sim
