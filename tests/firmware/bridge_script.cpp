#include "bridge_script.h"

#include <sstream>

#include "firmware_image.h"

namespace firmware_test {

namespace {
constexpr std::uint8_t EP_DATA_OUT = 0x02, EP_COMMAND = 0x04, EP_DATA_IN = 0x88;
constexpr std::uint8_t FILLER = 0xA5;

bool cpucs(sim::SimulatedDevice& device, std::uint8_t value) {
  return device.controlOut(0xA0, 0xE600, 0, &value, 1);
}
}  // namespace

bool startBridge(sim::SimulatedDevice& device, sim::SimTime pause) {
  bool ok = cpucs(device, 0x01);
  std::vector<std::uint8_t> run;
  std::uint16_t runStart = 0;
  std::uint32_t next = 0xFFFFFFFF;
  for (const HexRecord& r : parseRecords(firmwareText())) {
    if (r.address != next && !run.empty()) {
      ok &= device.controlOut(0xA0, runStart, 0, run.data(), static_cast<std::uint16_t>(run.size()));
      run.clear();
    }
    if (run.empty()) runStart = r.address;
    run.insert(run.end(), r.data.begin(), r.data.end());
    next = r.address + static_cast<std::uint32_t>(r.data.size());
  }
  ok &= cpucs(device, 0x00);
  ok = ok && device.setInterface(0, 1);
  // Tests that look at the configured chip let the firmware finish its configuration
  // (about 2 ms) first; a pause of 0 is the earliest a host can send its first packet.
  device.advanceHostTime(pause);
  return ok;
}

ScriptOutcome runScript(sim::SimulatedDevice& device, sim::NandFlash& flash,
                        const HostScript& script) {
  ScriptOutcome out;
  flash.clearTrace();
  flash.enableTrace(true);
  for (const HostStep& step : script) {
    bool ok = true;
    switch (step.kind) {
      case HostStep::Kind::Command:
        ok = device.bulkOut(EP_COMMAND, step.bytes.data(), static_cast<std::uint32_t>(step.bytes.size()));
        break;
      case HostStep::Kind::Data:
        ok = device.bulkOut(EP_DATA_OUT, step.bytes.data(), static_cast<std::uint32_t>(step.bytes.size()));
        break;
      case HostStep::Kind::Read: {
        std::vector<std::uint8_t> buffer(step.count);
        std::uint32_t transferred = 0;
        ok = device.bulkIn(EP_DATA_IN, buffer.data(), step.count, transferred);
        out.dataIn.insert(out.dataIn.end(), buffer.begin(), buffer.begin() + transferred);
        break;
      }
      case HostStep::Kind::Wait:
        device.advanceHostTime(step.time);
        break;
    }
    if (!ok) {
      out.error = device.lastError();
      break;
    }
  }
  for (const sim::BusCycle& c : flash.trace()) out.bus.push_back({c.kind, c.value});
  flash.enableTrace(false);
  return out;
}

namespace host {

HostStep command(std::vector<std::uint8_t> packet) { return {HostStep::Kind::Command, std::move(packet)}; }
HostStep data(std::vector<std::uint8_t> bytes) { return {HostStep::Kind::Data, std::move(bytes)}; }
HostStep read(std::uint32_t count) { return {HostStep::Kind::Read, {}, count}; }
HostStep wait(sim::SimTime time) { return {HostStep::Kind::Wait, {}, 0, time}; }

namespace {
std::vector<std::uint8_t> addressPacket(std::uint8_t command, std::uint32_t offset) {
  return {0x50, command, static_cast<std::uint8_t>(offset & 0xFF),
          static_cast<std::uint8_t>((offset >> 9) & 0xFF), static_cast<std::uint8_t>((offset >> 17) & 0xFF),
          static_cast<std::uint8_t>((offset >> 25) & 0x01)};
}
std::vector<std::uint8_t> readPacket(std::uint32_t count) {
  return {0x12, static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)};
}
HostScript statusRead() {
  return {command({0x52, 0x70, FILLER, FILLER}), command(readPacket(4)), read(4)};
}
}  // namespace

HostScript readAt(std::uint32_t offset, std::uint32_t count) {
  return {command(addressPacket(static_cast<std::uint8_t>((offset >> 8) & 1), offset)),
          command(readPacket(count)), read(count)};
}

HostScript status() {
  HostScript s{command({0x52, 0xFF, FILLER, FILLER})};
  for (HostStep& step : statusRead()) s.push_back(step);
  return s;
}

HostScript id() { return {command({0x53, 0x90, 0x00, FILLER}), command(readPacket(4)), read(4)}; }

HostScript blockDump(std::uint32_t block) { return readAt(block * 0x4000, 0x4200); }

HostScript mainAreaPages(std::uint32_t firstPage, std::uint32_t pages) {
  HostScript s;
  for (std::uint32_t p = firstPage; p < firstPage + pages; ++p)
    for (HostStep& step : readAt(p * 512, 512)) s.push_back(step);
  return s;
}

HostScript erase(std::uint32_t block) {
  const std::uint32_t row = block * 32;
  HostScript s{command({0x51, 0x60, static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(row >> 8),
                        static_cast<std::uint8_t>(row >> 16), 0xD0}),
               wait(sim::milliseconds(5))};
  for (HostStep& step : statusRead()) s.push_back(step);
  return s;
}

HostScript programPage(std::uint32_t page, const std::vector<std::uint8_t>& raw528) {
  HostScript s{command(addressPacket(0x80, page * 512)), data(raw528),
               command({0x52, 0x10, FILLER, FILLER}), wait(sim::milliseconds(2))};
  for (HostStep& step : statusRead()) s.push_back(step);
  return s;
}

}  // namespace host

std::string describe(const std::vector<BusEvent>& bus, std::size_t around) {
  static const char* names[] = {"cmd", "addr", "wr", "rd"};
  std::ostringstream text;
  const std::size_t from = around > 8 ? around - 8 : 0;
  for (std::size_t i = from; i < bus.size() && i < around + 8; ++i)
    text << (i == around ? " >" : " ") << names[static_cast<int>(bus[i].kind)] << ':' << std::hex
         << static_cast<int>(bus[i].value) << std::dec;
  return text.str();
}

}  // namespace firmware_test
