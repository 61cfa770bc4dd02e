#include "sim/reference/reference_bridge.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/reference/bridge_timing.h"

namespace sim {

namespace {

constexpr std::uint8_t BRIDGE_CMD_ADDR4 = 0x50;
constexpr std::uint8_t BRIDGE_CMD_ADDR3_CMD = 0x51;
constexpr std::uint8_t BRIDGE_CMD_ONLY = 0x52;
constexpr std::uint8_t BRIDGE_CMD_ADDR1 = 0x53;
constexpr std::uint8_t BRIDGE_READ = 0x12;
// Kinds from here on first wait for endpoint 0x02 to drain.
constexpr std::uint8_t FIRST_DRAINING_KIND = 0x50;

constexpr std::size_t DATA_OUT_CAPACITY = 2 * ReferenceBridge::PACKET_SIZE;

std::string format(const char* pattern, unsigned a, unsigned b = 0, unsigned c = 0) {
  char text[200];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

}  // namespace

ReferenceBridge::ReferenceBridge(NandFlash& flash) : flash_(flash) {
  dataOut_.reserve(DATA_OUT_CAPACITY + PACKET_SIZE);
}

bool ReferenceBridge::fail(std::string message) {
  lastError_ = std::move(message);
  return false;
}

bool ReferenceBridge::controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                 const std::uint8_t* data, std::uint16_t length) {
  (void)index;
  const bool wasHeld = usb_.cpuHeldInReset();
  std::string error;
  if (!usb_.controlOut(request, value, data, length, error)) return fail(error);
  if (wasHeld && !usb_.cpuHeldInReset()) restartFirmware();
  return true;
}

bool ReferenceBridge::setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) {
  std::string error;
  return usb_.setInterface(interfaceNumber, alternateSetting, error) || fail(error);
}

void ReferenceBridge::restartFirmware() {
  // The firmware's start-up resets the FIFOs and aborts the GPIF: nothing survives but the
  // flash's own state.
  commandHead_ = commandCount_ = 0;
  commandRoom_ = 2;
  dataOut_.clear();
  dataOutHead_ = 0;
  inHead_ = inCount_ = fillLength_ = 0;
  recordedCount_ = 0;
  readRemaining_ = announced_ = 0;
  stall_.clear();
}

bool ReferenceBridge::singleWrite(bool command, std::uint8_t value) {
  now_ += bridge_timing::SINGLE_WRITE_SETUP;
  const SimTime ready = flash_.readyTime();
  if (ready == NandFlash::NEVER) {
    stall_ = format(command ? "bridge stalled: the flash never gets ready (R/B# stays low) for "
                              "the command cycle 0x%02X"
                            : "bridge stalled: the flash never gets ready (R/B# stays low) for "
                              "the address cycle 0x%02X",
                    value);
    return false;
  }
  now_ = std::max(now_, ready);
  const SimTime latch = now_ + bridge_timing::SINGLE_WRITE_LATCH;
  if (command) {
    flash_.commandCycle(value, latch);
  } else {
    flash_.addressCycle(value, latch);
  }
  now_ += bridge_timing::SINGLE_WRITE_CYCLE;
  return true;
}

void ReferenceBridge::longWrite() {
  // Bytes wait for a ready flash; the ones it never takes stay in the endpoint.
  while (dataOutHead_ < dataOut_.size()) {
    const SimTime ready = flash_.readyTime();
    if (ready == NandFlash::NEVER) return;
    const SimTime start = std::max(now_, ready);
    flash_.dataWriteCycle(dataOut_[dataOutHead_++], start + bridge_timing::FIFO_WRITE_LATCH);
    now_ = start + bridge_timing::FIFO_WRITE_CYCLE;
  }
  dataOut_.clear();
  dataOutHead_ = 0;
}

void ReferenceBridge::execute(const CommandPacket& packet) {
  now_ += bridge_timing::PACKET_INTAKE;
  const auto& b = packet.bytes;
  // Drain: page data sent before this packet goes onto the bus first. When the flash never
  // gets ready the firmware's bound runs out and the rest follows after this packet.
  if (b[0] >= FIRST_DRAINING_KIND) longWrite();
  switch (b[0]) {
    case BRIDGE_CMD_ADDR4:
      singleWrite(true, b[1]) && singleWrite(false, b[2]) && singleWrite(false, b[3]) &&
          singleWrite(false, b[4]) && singleWrite(false, b[5]);
      break;
    case BRIDGE_CMD_ADDR3_CMD:
      singleWrite(true, b[1]) && singleWrite(false, b[2]) && singleWrite(false, b[3]) &&
          singleWrite(false, b[4]) && singleWrite(true, b[5]);
      break;
    case BRIDGE_CMD_ONLY:
      singleWrite(true, b[1]);
      break;
    case BRIDGE_CMD_ADDR1:
      singleWrite(true, b[1]) && singleWrite(false, b[2]);
      break;
    case BRIDGE_READ:
      recordedCount_ = std::uint16_t(b[1] << 8 | b[2]);  // replaces one not yet started
      break;
    default:
      break;  // other kinds: consumed, nothing more
  }
}

bool ReferenceBridge::continueRead() {
  while (readRemaining_ > 0) {
    if (inCount_ == in_.size()) return false;  // both buffers wait for the host
    InPacket& packet = in_[(inHead_ + inCount_) % in_.size()];
    const std::uint32_t want = std::min(PACKET_SIZE - fillLength_, readRemaining_);
    const std::uint32_t got =
        flash_.readCycles(packet.bytes.data() + fillLength_, want, now_,
                          bridge_timing::FIFO_READ_CYCLE, bridge_timing::FIFO_READ_LATCH);
    fillLength_ += got;
    readRemaining_ -= got;
    if (got < want) {
      stall_ = format("bridge stalled: the flash never gets ready (R/B# stays low) during a read"
                      " of %u bytes, %u of them read",
                      announced_, announced_ - readRemaining_);
      return false;
    }
    // Full packets commit by themselves; the firmware commits the short rest. No empty
    // packet follows a read that ends on a full one.
    if (fillLength_ == PACKET_SIZE || readRemaining_ == 0) {
      packet.length = fillLength_;
      fillLength_ = 0;
      ++inCount_;
    }
  }
  return true;
}

void ReferenceBridge::run() {
  // The firmware's main loop: per pass one packet, the long write, the counted read.
  while (stall_.empty()) {
    if (readRemaining_ > 0) {
      if (!continueRead()) return;
      continue;
    }
    bool progressed = false;
    if (commandCount_ > 0) {
      const CommandPacket packet = commands_[commandHead_];
      commandHead_ = (commandHead_ + 1) % commands_.size();
      --commandCount_;
      execute(packet);
      progressed = true;
      if (!stall_.empty()) {
        commandRoom_ = 1;  // the stuck packet keeps its buffer
        return;
      }
    }
    const std::size_t pending = dataOut_.size() - dataOutHead_;
    if (pending > 0) {
      longWrite();
      progressed = progressed || dataOut_.size() - dataOutHead_ < pending;
    }
    if (recordedCount_ != 0 && inCount_ < in_.size()) {
      readRemaining_ = announced_ = recordedCount_;
      recordedCount_ = 0;
      progressed = true;
    }
    if (!progressed) return;
  }
}

bool ReferenceBridge::bulkOut(std::uint8_t endpoint, const std::uint8_t* data,
                              std::uint32_t length) {
  std::string error;
  if (!usb_.bulkUsable(endpoint, error)) return fail(error);
  if (length > 0 && data == nullptr) return fail("bulk write without data");
  auto blocked = [this](const char* endpointName) {
    if (!stall_.empty()) return fail(stall_ + "; endpoint " + endpointName + " is full");
    if (readRemaining_ > 0 || inCount_ > 0) {
      return fail(std::string("bridge stalled: endpoint ") + endpointName +
                  format(" full: the bridge is inside a read of %u bytes that the host has not "
                         "taken",
                         announced_));
    }
    return fail(std::string("bridge stalled: endpoint ") + endpointName +
                " full: the flash never gets ready (R/B# stays low)");
  };
  if (endpoint == ENDPOINT_COMMAND) {
    for (std::uint32_t offset = 0; offset < length; offset += PACKET_SIZE) {
      run();
      if (commandCount_ >= commandRoom_) return blocked("0x04");
      CommandPacket& packet = commands_[(commandHead_ + commandCount_) % commands_.size()];
      packet = {};
      std::memcpy(packet.bytes.data(), data + offset,
                  std::min<std::size_t>(packet.bytes.size(), length - offset));
      ++commandCount_;
    }
    run();
    return true;
  }
  if (endpoint == ENDPOINT_DATA_OUT) {
    if (dataOutHead_ == dataOut_.size()) {
      dataOut_.clear();
      dataOutHead_ = 0;
    }
    for (std::uint32_t offset = 0; offset < length;) {
      const std::size_t room = DATA_OUT_CAPACITY - (dataOut_.size() - dataOutHead_);
      if (room == 0) {
        run();
        if (dataOut_.size() - dataOutHead_ >= DATA_OUT_CAPACITY) return blocked("0x02");
        continue;
      }
      const std::size_t chunk = std::min<std::size_t>(room, length - offset);
      dataOut_.insert(dataOut_.end(), data + offset, data + offset + chunk);
      offset += std::uint32_t(chunk);
      run();
    }
    return true;
  }
  return fail(format("endpoint 0x%02X is not an OUT endpoint of this bridge", endpoint));
}

bool ReferenceBridge::bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
                             std::uint32_t& transferred) {
  transferred = 0;
  std::string error;
  if (!usb_.bulkUsable(endpoint, error)) return fail(error);
  if (endpoint != ENDPOINT_DATA_IN) {
    return fail(format("endpoint 0x%02X is not an IN endpoint of this bridge", endpoint));
  }
  while (transferred < length) {
    if (inCount_ == 0) run();
    if (inCount_ == 0) {
      if (!stall_.empty()) return fail(stall_);
      if (announced_ == 0) {
        return fail(format("bridge stalled: the host reads %u bytes on endpoint 0x88, but no read "
                           "was announced",
                           length));
      }
      return fail(format("bridge stalled: the host reads %u bytes on endpoint 0x88 and got %u; "
                         "nothing more is coming (the last read announced %u)",
                         length, transferred, announced_));
    }
    InPacket& packet = in_[inHead_];
    const std::uint32_t room = length - transferred;
    const std::uint32_t take = std::min(packet.length, room);
    std::memcpy(data + transferred, packet.bytes.data(), take);
    transferred += take;
    inHead_ = (inHead_ + 1) % in_.size();
    --inCount_;
    if (packet.length > room) {
      return fail(format("a packet of %u bytes on endpoint 0x88 overflows the %u bytes left of "
                         "the host's read",
                         packet.length, room));
    }
    if (packet.length < PACKET_SIZE) break;  // a short packet ends the transfer
  }
  run();
  return true;
}

}  // namespace sim
