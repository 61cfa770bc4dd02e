#pragma once
// The firmware image on the bare 8051 core, with the chip's registers as plain memory that
// records every write: enough for the parts of the firmware that only compute and time
// (start-up, delays), without the chip model.
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "firmware_image.h"
#include "sim/mcs51/mcs51_core.h"

namespace firmware_test {

class FirmwareOnCore {
 public:
  FirmwareOnCore() : ram_(ramImage()) {
    core_.setMemory(ram_.data(), static_cast<std::uint32_t>(ram_.size()));
    mcs51::CoreHooks hooks;
    hooks.context = this;
    hooks.sfrRead = [](void* c, std::uint8_t a) { return self(c).sfr_[a]; };
    hooks.sfrWrite = [](void* c, std::uint8_t a, std::uint8_t v) {
      self(c).sfr_[a] = v;
      self(c).sfrWrites.emplace_back(a, v);
    };
    hooks.xdataRead = [](void* c, std::uint16_t a) { return self(c).xdata_[a]; };
    hooks.xdataWrite = [](void* c, std::uint16_t a, std::uint8_t v) {
      self(c).xdata_[a] = v;
      self(c).xdataWrites.emplace_back(a, v);
    };
    core_.setHooks(hooks);
    core_.reset();
  }

  mcs51::Core& core() { return core_; }
  std::vector<std::uint8_t>& ram() { return ram_; }
  void setRegister(std::uint16_t address, std::uint8_t value) { xdata_[address] = value; }

  // Calls the routine at `address` with the 16-bit argument in DPL/DPH (the compiler's
  // convention for a first argument) and runs it to its return. Returns the cycles it took.
  std::uint64_t call(std::uint16_t address, std::uint16_t argument,
                     std::uint64_t cycleBudget = 2'000'000'000) {
    constexpr std::uint16_t RETURN_MARK = 0x3FF0;
    core_.setSfr(0x81, 0x60);  // SP
    core_.setIram(0x61, RETURN_MARK & 0xFF);
    core_.setIram(0x62, RETURN_MARK >> 8);
    core_.setSfr(0x81, 0x62);
    core_.setSfr(0x82, argument & 0xFF);
    core_.setSfr(0x83, argument >> 8);
    core_.setPc(address);
    const std::uint64_t start = core_.cycles();
    core_.run(start + cycleBudget, RETURN_MARK);
    return core_.cycles() - start;
  }

  std::vector<std::pair<std::uint8_t, std::uint8_t>> sfrWrites;
  std::vector<std::pair<std::uint16_t, std::uint8_t>> xdataWrites;

 private:
  static FirmwareOnCore& self(void* c) { return *static_cast<FirmwareOnCore*>(c); }

  std::vector<std::uint8_t> ram_;
  mcs51::Core core_;
  std::array<std::uint8_t, 256> sfr_{};
  std::array<std::uint8_t, 0x10000> xdata_{};
};

}  // namespace firmware_test
