#pragma once
// Register addresses of the FX2 as the chip model uses them, generated from the shared table
// that the firmware also includes, so both sides agree on every address.
#include <cstdint>

namespace fx2 {

namespace sfr {
#define FX2_SFR(name, address) constexpr std::uint8_t name = address;
#define FX2_XREG(name, address)
#include "firmware/platform/fx2_register_table.h"
#undef FX2_SFR
#undef FX2_XREG
}  // namespace sfr

namespace xreg {
#define FX2_SFR(name, address)
#define FX2_XREG(name, address) constexpr std::uint16_t name = address;
#include "firmware/platform/fx2_register_table.h"
#undef FX2_SFR
#undef FX2_XREG
}  // namespace xreg

// Bits the chip model acts on.
namespace bits {
constexpr std::uint8_t CPUCS_8051RES = 0x01;
constexpr std::uint8_t CPUCS_CLKSPD = 0x18;
constexpr std::uint8_t IFCONFIG_IFCLKSRC = 0x80;
constexpr std::uint8_t IFCONFIG_3048MHZ = 0x40;
constexpr std::uint8_t IFCONFIG_IFCFG = 0x03;
constexpr std::uint8_t IFCFG_GPIF_MASTER = 0x02;
constexpr std::uint8_t FIFORESET_NAKALL = 0x80;
constexpr std::uint8_t EPCFG_VALID = 0x80;
constexpr std::uint8_t EPCFG_DIR_IN = 0x40;
constexpr std::uint8_t FIFOCFG_AUTOOUT = 0x10;
constexpr std::uint8_t FIFOCFG_AUTOIN = 0x08;
constexpr std::uint8_t FIFOCFG_ZEROLENIN = 0x04;
constexpr std::uint8_t FIFOCFG_WORDWIDE = 0x01;
constexpr std::uint8_t BCL_SKIP = 0x80;
constexpr std::uint8_t PKTEND_SKIP = 0x80;
constexpr std::uint8_t INTSETUP_AV2EN = 0x08;
constexpr std::uint8_t INTSETUP_INT4SRC = 0x02;
constexpr std::uint8_t INTSETUP_AV4EN = 0x01;
constexpr std::uint8_t AUTOPTR_APTREN = 0x01;
constexpr std::uint8_t AUTOPTR_APTR1INC = 0x02;
constexpr std::uint8_t AUTOPTR_APTR2INC = 0x04;
constexpr std::uint8_t USBCS_SIGRSUME = 0x01;
constexpr std::uint8_t USBCS_HSM = 0x80;
constexpr std::uint8_t EP0CS_HSNAK = 0x80;
constexpr std::uint8_t EP0CS_STALL = 0x01;
constexpr std::uint8_t WAKEUPCS_WU2 = 0x80;
constexpr std::uint8_t WAKEUPCS_WU = 0x40;
constexpr std::uint8_t WAKEUPCS_WU2EN = 0x02;
constexpr std::uint8_t WAKEUPCS_WUEN = 0x01;
constexpr std::uint8_t GPIFTRIG_DONE = 0x80;
constexpr std::uint8_t GPIFTRIG_READ = 0x04;
constexpr std::uint8_t GPIFREADYCFG_INTRDY = 0x80;
constexpr std::uint8_t GPIFREADYCFG_TCXRDY5 = 0x20;
constexpr std::uint8_t GPIFCTLCFG_TRICTL = 0x80;
constexpr std::uint8_t GPIF_IRQ_DONE = 0x01;
constexpr std::uint8_t GPIF_IRQ_WF = 0x02;
}  // namespace bits

// USBIRQ/USBIE bits, in autovector priority order (offset = 4 * bit).
namespace usbirq {
constexpr std::uint8_t SUDAV = 0x01;
constexpr std::uint8_t SOF = 0x02;
constexpr std::uint8_t SUTOK = 0x04;
constexpr std::uint8_t SUSP = 0x08;
constexpr std::uint8_t URES = 0x10;
constexpr std::uint8_t HSGRANT = 0x20;
constexpr std::uint8_t EP0ACK = 0x40;
}  // namespace usbirq

}  // namespace fx2
