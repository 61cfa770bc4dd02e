#pragma once
// A 64 MiB small-page NAND flash (4096 blocks x 32 pages x 528 bytes, 3.3 V, x8) at bus-cycle
// level. The array is a memory-mapped image file in the raw dump layout (page n at n * 528).
// Cycles are latched at the simulated time given by the caller (the WE# rising edge, or the
// RE# falling edge for a read); the ready line (R/B#) is a function of time.
//
// This header is the contract between the flash and its drivers (the reference bridge and
// the GPIF pin adapter of the chip model); keep it stable.
//
// Behaviour while busy, as the parts do it: read status (0x70), reset (0xFF) and data reads
// after read status are accepted; every other cycle is ignored and counted in
// busyViolations() (a data read then returns 0xFF).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_time.h"

namespace sim {

enum class BusCycleKind : std::uint8_t { Command, Address, DataWrite, DataRead };

struct BusCycle {
  BusCycleKind kind;
  std::uint8_t value;
  SimTime time;

  friend bool operator==(const BusCycle&, const BusCycle&) = default;
};

class FlashImageFile;

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
  static constexpr SimTime RESET_BUSY = microseconds(5);      // tRST
  // readyTime() of a flash whose ready line never rises.
  static constexpr SimTime NEVER = ~SimTime(0);

  static constexpr std::uint8_t STATUS_FAIL = 0x01;
  static constexpr std::uint8_t STATUS_READY = 0x40;
  static constexpr std::uint8_t STATUS_NOT_PROTECTED = 0x80;
  // Maker, device (0x76: 64 MiB, x8, small page), then two more; they repeat after the fourth.
  static constexpr std::array<std::uint8_t, 4> ID_BYTES = {0xEC, 0x76, 0xA5, 0xC0};

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

  // `count` data-read cycles as a bus master that waits for R/B# before each one issues
  // them: a cycle starts at max(now, readyTime()), its byte is taken `latchOffset` ticks
  // later and the next may start `cycleTicks` after the start. Same bytes, trace and timing
  // as the single cycles, only faster. Stops early when the flash is stuck busy; returns the
  // number of bytes read and leaves `now` at the end of the last cycle.
  std::uint32_t readCycles(std::uint8_t* destination, std::uint32_t count, SimTime& now,
                           SimTime cycleTicks, SimTime latchOffset);

  // R/B#: true (high) when ready.
  bool isReady(SimTime now) const { return !stuckBusy_ && now >= busyUntil_; }
  // The time at which the flash is (or became) ready; never, when stuck busy.
  SimTime readyTime() const { return stuckBusy_ ? NEVER : busyUntil_; }

  // The byte a data read returns after read status, at `now`.
  std::uint8_t statusByte(SimTime now) const;

  // Faults, settable by tests.
  void setBadBlock(std::uint32_t block, bool bad);
  void setStuckBusy(bool stuck);

  // Cycles that arrived while the flash was busy (a driver that ignored R/B#).
  std::uint64_t busyViolations() const { return busyViolations_; }
  // Page programs since the page's last erase (the parts allow one on the main area and
  // two on the spare area; more are accepted here but show in this count).
  std::uint32_t programCount(std::uint32_t page) const;

  // Bus trace, off by default.
  void enableTrace(bool on);
  const std::vector<BusCycle>& trace() const { return trace_; }
  void clearTrace() { trace_.clear(); }

 private:
  // What the bus cycles currently mean.
  enum class Mode : std::uint8_t {
    Idle,
    ReadAddress,
    PageRead,
    Status,
    IdAddress,
    Id,
    ProgramAddress,
    ProgramData,
    EraseAddress,
  };
  // The area the next read or program addresses: set by 0x00, 0x01 and 0x50.
  enum class Pointer : std::uint8_t { FirstHalf, SecondHalf, Spare };

  void attachImage(std::uint8_t* image);
  std::uint8_t slowDataRead(SimTime now);
  std::uint32_t startColumn(std::uint8_t columnByte);
  void record(BusCycleKind kind, std::uint8_t value, SimTime now);
  void startProgram(SimTime now);
  void startErase(SimTime now);
  std::uint32_t rowAddress(std::size_t first) const;

  // Hot state of sequential reads first.
  std::uint8_t* image_ = nullptr;
  std::uint64_t pageBase_ = 0;  // image offset of the page being read
  std::uint32_t column_ = 0;
  Mode mode_ = Mode::Idle;
  bool traceOn_ = false;
  bool stuckBusy_ = false;
  SimTime busyUntil_ = 0;

  std::uint32_t page_ = 0;
  std::uint32_t nextPageColumn_ = 0;  // where a sequential read enters the next page
  Pointer pointer_ = Pointer::FirstHalf;
  std::uint8_t addressCount_ = 0;
  std::array<std::uint8_t, 4> address_{};
  std::uint32_t idIndex_ = 0;
  bool lastOperationFailed_ = false;
  std::uint64_t busyViolations_ = 0;

  std::array<std::uint8_t, PAGE_RAW_SIZE> pageRegister_{};  // program data being loaded
  std::uint32_t programColumn_ = 0;
  std::vector<std::uint8_t> programCounts_;
  std::vector<bool> badBlocks_;
  std::vector<BusCycle> trace_;

  std::unique_ptr<FlashImageFile> file_;
  std::vector<std::uint8_t> memoryImage_;
};

// The common data read (inside a page, ready, untraced) stays inline and cheap: a whole
// device dump goes through here 69 million times.
inline std::uint8_t NandFlash::dataReadCycle(SimTime now) {
  if (mode_ == Mode::PageRead && !traceOn_ && !stuckBusy_ && now >= busyUntil_ &&
      column_ + 1 < PAGE_RAW_SIZE) {
    return image_[pageBase_ + column_++];
  }
  return slowDataRead(now);
}

}  // namespace sim
