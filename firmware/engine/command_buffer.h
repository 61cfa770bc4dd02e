/* The command packet, read in place from EP4FIFOBUF; byte 0 is its kind. The packet's
 * byte count is never read. */
#ifndef COMMAND_BUFFER_H
#define COMMAND_BUFFER_H

#include "../platform/fx2_registers.h"

#define commandByte(index) ((&EP4FIFOBUF)[index])

#define BRIDGE_READ 0x12
#define BRIDGE_CMD_ADDR4 0x50
#define BRIDGE_CMD_ADDR3_CMD 0x51
#define BRIDGE_CMD_ONLY 0x52
#define BRIDGE_CMD_ADDR1 0x53

#endif
