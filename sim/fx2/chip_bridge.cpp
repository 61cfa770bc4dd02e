#include "sim/fx2/chip_bridge.h"

#include <algorithm>
#include <cstdio>

namespace fx2 {

namespace {
// How long the host waits between looks at the bus while nothing moves.
constexpr sim::SimTime POLL = sim::microseconds(500);
}  // namespace

bool ChipBridge::controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                            const std::uint8_t* data, std::uint16_t length) {
  if (request == 0xA0) return chip_.firmwareLoad(value, data, length, error_);
  resumeBus();
  // Any other vendor request reaches the firmware as a setup packet; it completes when the
  // firmware releases the handshake.
  const std::uint8_t setup[8] = {0x40,
                                 request,
                                 static_cast<std::uint8_t>(value),
                                 static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(index),
                                 static_cast<std::uint8_t>(index >> 8),
                                 static_cast<std::uint8_t>(length),
                                 static_cast<std::uint8_t>(length >> 8)};
  chip_.deliverSetup(setup);
  const sim::SimTime start = chip_.now();
  while (chip_.ep0HandshakePending()) {
    if (chip_.ep0Stalled()) {
      error_ = "control request stalled by the firmware";
      return false;
    }
    if (stalled(start, "control request", 0)) return false;
    chip_.runUntil(std::min(chip_.now() + POLL, start + stallTime_), true);
  }
  return true;
}

bool ChipBridge::setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) {
  if (interfaceNumber != 0 || alternateSetting > 1) {
    char text[80];
    std::snprintf(text, sizeof text, "no interface %u alternate setting %u",
                  unsigned(interfaceNumber), unsigned(alternateSetting));
    error_ = text;
    return false;
  }
  alternateSetting_ = alternateSetting;
  return true;
}

EndpointFifo* ChipBridge::bulkEndpoint(std::uint8_t address, bool in) {
  char text[120];
  const bool dirIn = (address & 0x80) != 0;
  const unsigned number = address & 0x0F;
  if (alternateSetting_ != 1) {
    error_ = "bulk endpoints answer only under interface 0, alternate setting 1";
    return nullptr;
  }
  EndpointFifo* ep = chip_.endpoint(number);
  if (!ep || dirIn != in || !chip_.endpointConfigured(number, in)) {
    std::snprintf(text, sizeof text, "endpoint 0x%02X is not a bulk %s endpoint of the bridge",
                  unsigned(address), in ? "IN" : "OUT");
    error_ = text;
    return nullptr;
  }
  return ep;
}

bool ChipBridge::stalled(sim::SimTime lastProgress, const char* what, std::uint8_t endpoint) {
  if (chip_.now() - lastProgress < stallTime_) return false;
  char text[200];
  int n = std::snprintf(text, sizeof text, " (%s on endpoint 0x%02X made no progress for %.3f s",
                        what, unsigned(endpoint), sim::toSeconds(stallTime_));
  if (const EndpointFifo* ep = chip_.endpoint(endpoint & 0x0F); ep && n > 0) {
    if (endpoint & 0x80)
      n += std::snprintf(text + n, sizeof text - n, "; no packet committed, %u bytes in the current buffer",
                         ep->cpuOwnsCurrent() ? ep->currentLength() : 0u);
    else
      n += std::snprintf(text + n, sizeof text - n, "; no armed buffer");
  }
  if (n > 0) std::snprintf(text + n, sizeof text - n, ")");
  error_ = "bridge stalled: " + chip_.describe() + text;
  return true;
}

// The host resumes a suspended bus before it sends anything.
void ChipBridge::resumeBus() {
  if (chip_.busSuspended()) chip_.deliverResume();
}

bool ChipBridge::bulkOut(std::uint8_t endpoint, const std::uint8_t* data, std::uint32_t length) {
  EndpointFifo* ep = bulkEndpoint(endpoint, false);
  if (!ep) return false;
  if (!data && length) {
    error_ = "bulk write without data";
    return false;
  }
  resumeBus();
  std::uint32_t sent = 0;
  sim::SimTime progress = chip_.now();
  do {
    const std::uint32_t n = std::min<std::uint32_t>(EndpointFifo::BUFFER_SIZE, length - sent);
    // An OUT packet goes only into an armed buffer; until then the host is NAKed and retries.
    while (chip_.nakAll() || !ep->hostCanWrite()) {
      if (stalled(progress, "bulk write", endpoint)) return false;
      chip_.runUntil(std::min(chip_.now() + POLL, progress + stallTime_), true);
    }
    ep->hostWrite(data + sent, n);
    sent += n;
    progress = chip_.now();
  } while (sent < length);
  return true;
}

bool ChipBridge::bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
                        std::uint32_t& transferred) {
  transferred = 0;
  EndpointFifo* ep = bulkEndpoint(endpoint, true);
  if (!ep) return false;
  if (!data && length) {
    error_ = "bulk read without a buffer";
    return false;
  }
  resumeBus();
  sim::SimTime progress = chip_.now();
  while (transferred < length) {
    if (chip_.nakAll() || !ep->hostHasPacket()) {
      if (stalled(progress, "bulk read", endpoint)) return false;
      chip_.runUntil(std::min(chip_.now() + POLL, progress + stallTime_), true);
      continue;
    }
    const unsigned n = ep->hostPacketLength();
    const std::uint32_t room = length - transferred;
    std::copy_n(ep->hostPacketData(), std::min<std::uint32_t>(n, room), data + transferred);
    ep->hostRelease();
    if (n > room) {
      transferred = length;
      char text[120];
      std::snprintf(text, sizeof text,
                    "bulk read overflow: endpoint 0x%02X sent %u bytes with %u still wanted",
                    unsigned(endpoint), n, unsigned(room));
      error_ = text;
      return false;
    }
    transferred += n;
    progress = chip_.now();
    if (n < EndpointFifo::BUFFER_SIZE) break;  // a short packet ends the transfer
  }
  return true;
}

}  // namespace fx2

namespace sim {
std::unique_ptr<SimulatedDevice> makeChipBridge(NandFlash& flash) {
  return std::make_unique<fx2::ChipBridge>(flash);
}
}  // namespace sim
