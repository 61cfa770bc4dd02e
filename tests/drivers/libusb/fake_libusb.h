#pragma once
// A recording stand-in for the part of libusb-1.0 the backend uses, linked in place of the real
// library. Tests set up the bus and the results, then read back every call with its arguments.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct FakeUsbDevice {
  std::uint16_t vendor = 0x04B4;
  std::uint16_t product = 0x8613;
  int openResult = 0;  // a libusb error code, or 0
};

struct FakeCall {
  std::string name;
  std::vector<int> args;            // the call's integer arguments, in order
  std::vector<std::uint8_t> data;   // the bytes an OUT transfer carried
};

// The outcome of one transfer: the return code and how many bytes went through (-1: all).
struct FakeTransferResult {
  int result = 0;
  int transferred = -1;
};

struct FakeLibusb {
  std::vector<FakeUsbDevice> devices;
  std::deque<FakeTransferResult> transferResults;  // consumed in order; empty = all succeed
  std::uint8_t inFill = 0x5A;                      // the byte an IN transfer delivers
  int claimResult = 0;
  int altSettingResult = 0;

  std::vector<FakeCall> calls;
  int liveContexts = 0;
  int liveHandles = 0;
  int listedReferences = 0;  // device references handed out by lists not yet freed

  std::vector<std::string> names() const;
  const FakeCall* find(const std::string& name) const;
};

FakeLibusb& fakeLibusb();
void resetFakeLibusb();
