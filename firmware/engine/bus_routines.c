/* The latch lines change only between bytes, while the GPIF is idle: each byte's single
 * write is complete (DONE) before the next port A value is written. The single-write
 * waveform itself holds the byte until the flash's ready line is high. The routines are
 * written out byte by byte rather than as a loop over phases: at a 12 MHz CPU such a loop
 * makes a main-area dump about 16 % slower. */
#include "../platform/fx2_registers.h"
#include "bus_routines.h"
#include "command_buffer.h"

#define LATCH_COMMAND 0x80 /* CLE high */
#define LATCH_ADDRESS 0x40 /* ALE high */
#define LATCH_NONE 0x00

/* The DONE wait has no bound: a flash whose ready line never rises keeps the engine at
 * this byte, as it would keep any cycle of the bus. */
void gpifWriteByte(unsigned char value)
{
    XGPIFSGLDATH = 0x00;
    XGPIFSGLDATLX = value;
    while (!(GPIFTRIG & 0x80))
        ;
}

void runCmdAddr4(void)
{
    GPIFABORT = 0xFF;
    IOA = LATCH_COMMAND;
    gpifWriteByte(commandByte(1));
    IOA = LATCH_ADDRESS;
    gpifWriteByte(commandByte(2));
    gpifWriteByte(commandByte(3));
    gpifWriteByte(commandByte(4));
    gpifWriteByte(commandByte(5));
    IOA = LATCH_NONE;
}

void runCmdAddr3Cmd(void)
{
    GPIFABORT = 0xFF;
    IOA = LATCH_COMMAND;
    gpifWriteByte(commandByte(1));
    IOA = LATCH_ADDRESS;
    gpifWriteByte(commandByte(2));
    gpifWriteByte(commandByte(3));
    gpifWriteByte(commandByte(4));
    IOA = LATCH_COMMAND;
    gpifWriteByte(commandByte(5));
    IOA = LATCH_NONE;
}

void runCmdOnly(void)
{
    GPIFABORT = 0xFF;
    IOA = LATCH_COMMAND;
    gpifWriteByte(commandByte(1));
    IOA = LATCH_NONE;
}

void runCmdAddr1(void)
{
    GPIFABORT = 0xFF;
    IOA = LATCH_COMMAND;
    gpifWriteByte(commandByte(1));
    IOA = LATCH_ADDRESS;
    gpifWriteByte(commandByte(2));
    IOA = LATCH_NONE;
}
