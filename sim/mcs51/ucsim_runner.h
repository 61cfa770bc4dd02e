#pragma once
// Runs an Intel HEX image on ucsim's s51 (type DS320: four clocks per cycle, two data
// pointers at 0x82/0x84 selected by DPS 0x86) until a breakpoint, and reads back the final
// state, so our core can be checked against an independent simulator.
//
// s51 fills internal RAM with random bytes at start; the session clears it and external RAM
// first, as our core's reset does. s51 counts clocks ("clks", four per cycle) and charges
// three cycles before the first instruction; `cycles` has both taken out.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mcs51 {

struct UcsimState {
  std::uint8_t a = 0, b = 0, psw = 0, sp = 0, dps = 0;
  std::uint16_t pc = 0, dptr0 = 0, dptr1 = 0;
  std::uint8_t iram[256]{};
  std::uint8_t sfr[128]{};
  std::vector<std::uint8_t> xram;  // xramFirst..xramLast
  std::uint64_t cycles = 0;
  std::uint64_t instructions = 0;
  double hostSeconds = 0;  // s51's own measure of its simulation time
};

struct UcsimRequest {
  std::string hexPath;
  std::uint16_t breakAddress = 0;
  std::uint16_t xramFirst = 0, xramLast = 0;
  bool dumpXram = false;
  unsigned timeoutSeconds = 60;
};

// The s51 program to run (from NANDBRIDGE_S51 or the PATH), or empty if none is installed.
std::string findUcsim();

// Returns the state, or nothing with `error` set (s51 missing, did not stop at the
// breakpoint, output not understood).
std::optional<UcsimState> runUcsim(const UcsimRequest& request, std::string& error);

}  // namespace mcs51
