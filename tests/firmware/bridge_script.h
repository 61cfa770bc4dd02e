#pragma once
// What a host does to a bridge, as data: command packets, page data, counted reads and
// host-side waits. The same script runs against the chip model with the firmware and against
// the reference bridge, and the two outcomes are compared.
#include <cstdint>
#include <string>
#include <vector>

#include "sim/nand/nand_flash.h"
#include "sim/simulated_device.h"

namespace firmware_test {

struct HostStep {
  enum class Kind : std::uint8_t { Command, Data, Read, Wait };
  Kind kind;
  std::vector<std::uint8_t> bytes;  // Command, Data
  std::uint32_t count = 0;          // Read
  sim::SimTime time = 0;            // Wait
};
using HostScript = std::vector<HostStep>;

struct BusEvent {
  sim::BusCycleKind kind;
  std::uint8_t value;
  friend bool operator==(const BusEvent&, const BusEvent&) = default;
};

struct ScriptOutcome {
  std::vector<BusEvent> bus;          // the flash's trace, without times
  std::vector<std::uint8_t> dataIn;   // every byte that arrived on the data-in pipe
  std::string error;                  // the first failed transfer, if any
};

// Downloads firmwareHexText the way the host tool does (CPU held in reset, one request 0xA0
// per run of records, reset released), then selects interface 0, alternate setting 1, and lets the
// firmware finish its configuration.
bool startBridge(sim::SimulatedDevice& device, sim::SimTime pause = sim::milliseconds(5));

ScriptOutcome runScript(sim::SimulatedDevice& device, sim::NandFlash& flash,
                        const HostScript& script);

// The host's own sequences (flash operations as the workflows use them).
namespace host {
HostScript readAt(std::uint32_t offset, std::uint32_t count);  // read setup + counted read
HostScript status();                                            // reset, read status, read 4
HostScript id();
HostScript blockDump(std::uint32_t block);                      // 16,896 raw bytes
HostScript mainAreaPages(std::uint32_t firstPage, std::uint32_t pages);  // 512 each
HostScript erase(std::uint32_t block);                          // erase, 5 ms, status
HostScript programPage(std::uint32_t page, const std::vector<std::uint8_t>& raw528);
HostStep command(std::vector<std::uint8_t> packet);
HostStep data(std::vector<std::uint8_t> bytes);
HostStep read(std::uint32_t count);
HostStep wait(sim::SimTime time);
}  // namespace host

std::string describe(const std::vector<BusEvent>& bus, std::size_t around);

}  // namespace firmware_test
