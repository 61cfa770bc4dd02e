#include "sim/nand/nand_flash.h"

#include <algorithm>
#include <cstring>

#include "sim/nand/flash_image_file.h"

namespace sim {

namespace {

constexpr std::uint8_t CMD_READ_FIRST_HALF = 0x00;
constexpr std::uint8_t CMD_READ_SECOND_HALF = 0x01;
constexpr std::uint8_t CMD_PROGRAM_CONFIRM = 0x10;
constexpr std::uint8_t CMD_READ_SPARE = 0x50;
constexpr std::uint8_t CMD_ERASE_SETUP = 0x60;
constexpr std::uint8_t CMD_READ_STATUS = 0x70;
constexpr std::uint8_t CMD_PROGRAM_SETUP = 0x80;
constexpr std::uint8_t CMD_READ_ID = 0x90;
constexpr std::uint8_t CMD_ERASE_CONFIRM = 0xD0;
constexpr std::uint8_t CMD_RESET = 0xFF;

constexpr std::uint8_t READ_ADDRESS_CYCLES = 4;
constexpr std::uint8_t ERASE_ADDRESS_CYCLES = 3;

}  // namespace

NandFlash::NandFlash() : programCounts_(PAGE_COUNT, 0), badBlocks_(BLOCK_COUNT, false) {}

NandFlash::~NandFlash() = default;

bool NandFlash::openImage(const std::string& path, std::string& error) {
  auto file = std::make_unique<FlashImageFile>();
  if (!file->open(path, IMAGE_SIZE, error)) return false;
  image_ = nullptr;
  file_ = std::move(file);
  memoryImage_.clear();
  memoryImage_.shrink_to_fit();
  attachImage(file_->data());
  return true;
}

void NandFlash::useMemoryImage() {
  file_.reset();
  memoryImage_.assign(IMAGE_SIZE, 0xFF);
  attachImage(memoryImage_.data());
}

void NandFlash::attachImage(std::uint8_t* image) {
  image_ = image;
  mode_ = Mode::Idle;
  pointer_ = Pointer::FirstHalf;
  addressCount_ = 0;
  std::fill(programCounts_.begin(), programCounts_.end(), 0);
}

std::uint8_t* NandFlash::image() { return image_; }
const std::uint8_t* NandFlash::image() const { return image_; }

void NandFlash::record(BusCycleKind kind, std::uint8_t value, SimTime now) {
  if (traceOn_) trace_.push_back({kind, value, now});
}

void NandFlash::commandCycle(std::uint8_t command, SimTime now) {
  record(BusCycleKind::Command, command, now);
  if (!isReady(now) && command != CMD_READ_STATUS && command != CMD_RESET) {
    ++busyViolations_;
    return;
  }
  const Mode before = mode_;
  mode_ = Mode::Idle;
  switch (command) {
    case CMD_READ_FIRST_HALF:
    case CMD_READ_SECOND_HALF:
    case CMD_READ_SPARE:
      pointer_ = command == CMD_READ_FIRST_HALF    ? Pointer::FirstHalf
                 : command == CMD_READ_SECOND_HALF ? Pointer::SecondHalf
                                                   : Pointer::Spare;
      mode_ = Mode::ReadAddress;
      addressCount_ = 0;
      break;
    case CMD_PROGRAM_SETUP:
      mode_ = Mode::ProgramAddress;
      addressCount_ = 0;
      break;
    case CMD_PROGRAM_CONFIRM:
      if (before == Mode::ProgramData) startProgram(now);
      break;
    case CMD_ERASE_SETUP:
      mode_ = Mode::EraseAddress;
      addressCount_ = 0;
      break;
    case CMD_ERASE_CONFIRM:
      if (before == Mode::EraseAddress && addressCount_ == ERASE_ADDRESS_CYCLES) startErase(now);
      break;
    case CMD_READ_STATUS:
      mode_ = Mode::Status;
      break;
    case CMD_READ_ID:
      mode_ = Mode::IdAddress;
      break;
    case CMD_RESET:
      // Aborts whatever runs; the part is busy for tRST and comes back in its power-on state.
      pointer_ = Pointer::FirstHalf;
      lastOperationFailed_ = false;
      busyUntil_ = now + RESET_BUSY;
      break;
    default:
      break;  // not a command of this part: ignored
  }
}

std::uint32_t NandFlash::rowAddress(std::size_t first) const {
  // Three row bytes, low byte first; 17 significant bits.
  const std::uint8_t* row = &address_[first];
  return std::uint32_t(row[0]) | std::uint32_t(row[1]) << 8 | std::uint32_t(row[2] & 0x01) << 16;
}

std::uint32_t NandFlash::startColumn(std::uint8_t columnByte) {
  switch (pointer_) {
    case Pointer::SecondHalf:
      pointer_ = Pointer::FirstHalf;  // 0x01 holds for one operation only
      return 256 + columnByte;
    case Pointer::Spare:
      return PAGE_DATA_SIZE + (columnByte & 0x0F);
    case Pointer::FirstHalf:
    default:
      return columnByte;
  }
}

void NandFlash::addressCycle(std::uint8_t address, SimTime now) {
  record(BusCycleKind::Address, address, now);
  if (!isReady(now)) {
    ++busyViolations_;
    return;
  }
  switch (mode_) {
    case Mode::ReadAddress:
    case Mode::ProgramAddress: {
      address_[addressCount_++] = address;
      if (addressCount_ < READ_ADDRESS_CYCLES) break;
      const bool program = mode_ == Mode::ProgramAddress;
      page_ = rowAddress(1);  // after the column byte
      if (image_ == nullptr) {
        mode_ = Mode::Idle;
        break;
      }
      if (program) {
        pageRegister_.fill(0xFF);
        programColumn_ = startColumn(address_[0]);
        mode_ = Mode::ProgramData;
      } else {
        nextPageColumn_ = pointer_ == Pointer::Spare ? PAGE_DATA_SIZE : 0;
        pageBase_ = std::uint64_t(page_) * PAGE_RAW_SIZE;
        column_ = startColumn(address_[0]);
        busyUntil_ = now + READ_BUSY;
        mode_ = Mode::PageRead;
      }
      break;
    }
    case Mode::EraseAddress:
      if (addressCount_ < ERASE_ADDRESS_CYCLES) address_[addressCount_++] = address;
      break;
    case Mode::IdAddress:
      idIndex_ = 0;
      mode_ = Mode::Id;
      break;
    default:
      break;  // an address nothing asked for: ignored
  }
}

void NandFlash::dataWriteCycle(std::uint8_t data, SimTime now) {
  record(BusCycleKind::DataWrite, data, now);
  if (!isReady(now)) {
    ++busyViolations_;
    return;
  }
  if (mode_ == Mode::ProgramData && programColumn_ < PAGE_RAW_SIZE) {
    pageRegister_[programColumn_++] = data;
  }
}

std::uint8_t NandFlash::slowDataRead(SimTime now) {
  std::uint8_t value = 0xFF;
  if (mode_ == Mode::Status) {
    value = statusByte(now);  // the one read a busy part answers
  } else if (!isReady(now)) {
    ++busyViolations_;
  } else if (mode_ == Mode::PageRead) {
    value = image_[pageBase_ + column_];
    if (++column_ == PAGE_RAW_SIZE) {
      // Sequential read: the next page loads, busy for tR, and the read goes on there.
      page_ = (page_ + 1) % PAGE_COUNT;
      pageBase_ = std::uint64_t(page_) * PAGE_RAW_SIZE;
      column_ = nextPageColumn_;
      busyUntil_ = now + READ_BUSY;
    }
  } else if (mode_ == Mode::Id) {
    value = ID_BYTES[idIndex_++ % ID_BYTES.size()];
  }
  record(BusCycleKind::DataRead, value, now);
  return value;
}

std::uint32_t NandFlash::readCycles(std::uint8_t* destination, std::uint32_t count, SimTime& now,
                                    SimTime cycleTicks, SimTime latchOffset) {
  std::uint32_t done = 0;
  while (done < count) {
    const SimTime ready = readyTime();
    if (ready == NEVER) break;
    const SimTime start = std::max(now, ready);
    if (mode_ == Mode::PageRead && !traceOn_) {
      // Inside a page the part stays ready: copy the run up to (not including) the page's
      // last byte, whose read starts the next page's load.
      std::uint32_t run = std::min(count - done, PAGE_RAW_SIZE - column_);
      if (column_ + run == PAGE_RAW_SIZE) --run;
      if (run > 0) {
        std::memcpy(destination + done, image_ + pageBase_ + column_, run);
        column_ += run;
        done += run;
        now = start + SimTime(run) * cycleTicks;
        continue;
      }
    }
    destination[done++] = dataReadCycle(start + latchOffset);
    now = start + cycleTicks;
  }
  return done;
}

std::uint8_t NandFlash::statusByte(SimTime now) const {
  std::uint8_t status = STATUS_NOT_PROTECTED;
  if (isReady(now)) status |= STATUS_READY;
  if (lastOperationFailed_) status |= STATUS_FAIL;
  return status;
}

void NandFlash::startProgram(SimTime now) {
  busyUntil_ = now + PROGRAM_BUSY;
  lastOperationFailed_ = badBlocks_[page_ / PAGES_PER_BLOCK];
  if (lastOperationFailed_) return;
  // Programming can only clear bits.
  std::uint8_t* page = image_ + std::uint64_t(page_) * PAGE_RAW_SIZE;
  for (std::uint32_t i = 0; i < PAGE_RAW_SIZE; ++i) page[i] &= pageRegister_[i];
  if (programCounts_[page_] < 0xFF) ++programCounts_[page_];
}

void NandFlash::startErase(SimTime now) {
  busyUntil_ = now + ERASE_BUSY;
  const std::uint32_t block = rowAddress(0) / PAGES_PER_BLOCK;  // page bits are ignored
  lastOperationFailed_ = badBlocks_[block] || image_ == nullptr;
  if (lastOperationFailed_) return;
  const std::uint32_t firstPage = block * PAGES_PER_BLOCK;
  std::memset(image_ + std::uint64_t(firstPage) * PAGE_RAW_SIZE, 0xFF,
              std::size_t(PAGES_PER_BLOCK) * PAGE_RAW_SIZE);
  std::fill_n(programCounts_.begin() + firstPage, PAGES_PER_BLOCK, 0);
}

void NandFlash::setBadBlock(std::uint32_t block, bool bad) {
  if (block < BLOCK_COUNT) badBlocks_[block] = bad;
}

void NandFlash::setStuckBusy(bool stuck) { stuckBusy_ = stuck; }

std::uint32_t NandFlash::programCount(std::uint32_t page) const {
  return page < PAGE_COUNT ? programCounts_[page] : 0;
}

void NandFlash::enableTrace(bool on) { traceOn_ = on; }

}  // namespace sim
