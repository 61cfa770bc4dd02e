#pragma once
// One of the chip's large endpoints (EP2, EP4, EP6, EP8): a ring of 512-byte buffers that
// pass between the USB side (the host) and the CPU/FIFO side (the firmware or the GPIF).
//
// OUT: a buffer owned by USB is armed and empty, ready for the host's next packet; a buffer
// owned by the CPU side holds a packet, or nothing at all after a FIFO reset (unarmed), until
// the firmware skips it or, with AUTOOUT, the GPIF has taken its last byte.
// IN: a buffer owned by the CPU side is being filled; one owned by USB is a committed packet
// waiting for the host.
#include <array>
#include <cstdint>

#include "sim/fx2/fx2_registers.h"

namespace fx2 {

class EndpointFifo {
 public:
  static constexpr unsigned BUFFER_SIZE = 512;
  static constexpr unsigned MAX_BUFFERS = 4;

  explicit EndpointFifo(unsigned number) : number_(number) {}

  unsigned number() const { return number_; }
  bool isIn() const { return in_; }
  unsigned bufferCount() const { return count_; }

  // EPxCFG and EPxFIFOCFG as the endpoint uses them.
  void configure(bool in, unsigned buffers);
  void setFifoConfig(std::uint8_t fifoCfg) { fifoCfg_ = fifoCfg; }
  std::uint8_t fifoConfig() const { return fifoCfg_; }
  void setAutoInLength(unsigned length) { autoInLength_ = length; }
  unsigned autoInLength() const { return autoInLength_; }

  // FIFORESET: every buffer back to the CPU side, empty (OUT buffers come up unarmed).
  void reset();

  // --- USB side (the host) ---
  bool hostCanWrite() const { return buf_[usb_].usbOwned; }
  // Stores one OUT packet (at most BUFFER_SIZE bytes) into the next armed buffer.
  void hostWrite(const std::uint8_t* data, unsigned length);
  bool hostHasPacket() const { return buf_[usb_].usbOwned; }
  // The next committed IN packet; hostRelease hands its buffer back to the CPU side.
  const std::uint8_t* hostPacketData() const { return buf_[usb_].data.data(); }
  unsigned hostPacketLength() const { return buf_[usb_].length; }
  void hostRelease();

  // --- CPU side: the buffer the CPU sees at the endpoint's FIFO address ---
  std::uint8_t* cpuBuffer() { return buf_[cpu_].data.data(); }
  bool cpuOwnsCurrent() const { return !buf_[cpu_].usbOwned; }
  unsigned currentLength() const { return buf_[cpu_].length; }
  // EPxBCL written: OUT with SKIP hands the buffer back to USB (arming it); OUT without
  // SKIP passes the packet on to the FIFO side with `length` bytes; IN commits `length`.
  void writeByteCount(unsigned length, bool skip);
  // INPKTEND / OUTPKTEND.
  void packetEnd(bool skip);

  // --- FIFO side (the GPIF) ---
  bool fifoHasByte() const {
    const Buffer& b = buf_[cpu_];
    return !b.usbOwned && b.fifoReady && readPos_ < b.length;
  }
  std::uint8_t fifoByte() const { return buf_[cpu_].data[readPos_]; }
  void fifoNext();
  bool fifoHasRoom() const {
    const Buffer& b = buf_[cpu_];
    return !b.usbOwned && b.length < BUFFER_SIZE;
  }
  void fifoPush(std::uint8_t value) {
    Buffer& b = buf_[cpu_];
    b.data[b.length++] = value;
    if ((fifoCfg_ & bits::FIFOCFG_AUTOIN) && b.length >= autoInLength_) commitCurrent(b.length);
  }

  // Flags as EP2468STAT / EPxCS show them.
  bool emptyFlag() const;
  bool fullFlag() const;
  unsigned packetCount() const;

  // Counts a USB-visible change (a packet committed, a buffer armed) so the host side knows
  // when to look again.
  std::uint64_t changes() const { return changes_; }

 private:
  struct Buffer {
    std::array<std::uint8_t, BUFFER_SIZE> data{};
    unsigned length = 0;
    bool usbOwned = false;
    bool fifoReady = false;  // OUT: the packet may be drained by the FIFO side
  };
  void commitCurrent(unsigned length);
  void toUsb(Buffer& b) {
    b.usbOwned = true;
    ++changes_;
  }
  void advanceCpu() { cpu_ = (cpu_ + 1) % count_; }

  unsigned number_;
  bool in_ = false;
  unsigned count_ = 2;
  std::uint8_t fifoCfg_ = 0x05;
  unsigned autoInLength_ = BUFFER_SIZE;
  std::array<Buffer, MAX_BUFFERS> buf_{};
  unsigned cpu_ = 0;
  unsigned usb_ = 0;
  unsigned readPos_ = 0;
  std::uint64_t changes_ = 0;
};

}  // namespace fx2
