#include "sim/fx2/endpoint_fifo.h"

#include <algorithm>
#include <cstring>

namespace fx2 {

void EndpointFifo::configure(bool in, unsigned buffers) {
  buffers = std::clamp(buffers, 2u, MAX_BUFFERS);
  if (in == in_ && buffers == count_) return;
  in_ = in;
  count_ = buffers;
  reset();
}

void EndpointFifo::reset() {
  for (Buffer& b : buf_) b = Buffer{};
  cpu_ = usb_ = readPos_ = 0;
  ++changes_;
}

void EndpointFifo::hostWrite(const std::uint8_t* data, unsigned length) {
  Buffer& b = buf_[usb_];
  length = std::min(length, BUFFER_SIZE);
  if (length) std::memcpy(b.data.data(), data, length);
  b.length = length;
  b.usbOwned = false;
  b.fifoReady = (fifoCfg_ & bits::FIFOCFG_AUTOOUT) != 0;  // straight to the FIFO side
  usb_ = (usb_ + 1) % count_;
  // A zero-length packet gives the FIFO nothing; with AUTOOUT its buffer is re-armed as soon
  // as it becomes current, so drop it here when it already is.
  if (length == 0 && b.fifoReady && &b == &buf_[cpu_] && readPos_ == 0) {
    toUsb(b);
    advanceCpu();
  }
}

void EndpointFifo::hostRelease() {
  Buffer& b = buf_[usb_];
  b.usbOwned = false;
  b.length = 0;
  usb_ = (usb_ + 1) % count_;
  ++changes_;
}

void EndpointFifo::commitCurrent(unsigned length) {
  Buffer& b = buf_[cpu_];
  b.length = length;
  toUsb(b);
  advanceCpu();
}

void EndpointFifo::writeByteCount(unsigned length, bool skip) {
  Buffer& b = buf_[cpu_];
  if (b.usbOwned) return;  // nothing on the CPU side to act on
  if (in_) {
    if (skip) {
      b.length = 0;
      return;
    }
    commitCurrent(std::min(length, BUFFER_SIZE));
    return;
  }
  if (skip) {
    b.length = 0;
    b.fifoReady = false;
    readPos_ = 0;
    toUsb(b);
    advanceCpu();
    return;
  }
  b.length = std::min(length, BUFFER_SIZE);
  b.fifoReady = true;
}

void EndpointFifo::packetEnd(bool skip) {
  Buffer& b = buf_[cpu_];
  if (b.usbOwned) return;
  if (in_) {
    if (skip) {
      b.length = 0;
    } else if (b.length > 0 || (fifoCfg_ & bits::FIFOCFG_ZEROLENIN)) {  // an empty packet needs ZEROLENIN
      commitCurrent(b.length);
    }
    return;
  }
  writeByteCount(b.length, skip);
}

void EndpointFifo::fifoNext() {
  Buffer& b = buf_[cpu_];
  if (++readPos_ < b.length) return;
  // Last byte taken: the buffer goes back to USB by itself.
  readPos_ = 0;
  b.length = 0;
  b.fifoReady = false;
  toUsb(b);
  advanceCpu();
  // A zero-length packet queued behind it is dropped the same way.
  Buffer& n = buf_[cpu_];
  if (!n.usbOwned && n.fifoReady && n.length == 0) {
    n.fifoReady = false;
    toUsb(n);
    advanceCpu();
  }
}

unsigned EndpointFifo::packetCount() const {
  unsigned n = 0;
  for (unsigned i = 0; i < count_; ++i) n += in_ ? buf_[i].usbOwned : !buf_[i].usbOwned;
  return n;
}

// OUT: empty when no buffer is on the CPU side (unarmed buffers count as held, which is why
// the OUT endpoints read full after reset); full when every buffer is.
// IN: empty when nothing is committed and the current buffer holds no byte; full when every
// buffer is committed.
bool EndpointFifo::emptyFlag() const {
  if (!in_) return packetCount() == 0;
  return packetCount() == 0 && buf_[cpu_].length == 0;
}

bool EndpointFifo::fullFlag() const { return packetCount() == count_; }

}  // namespace fx2
