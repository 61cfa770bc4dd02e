/* Command and address bytes on the flash bus, as single-byte GPIF writes while port A
 * drives CLE (bit 7) and ALE (bit 6). Each routine takes its operands from the command
 * buffer, stops any FIFO transfer first and leaves both latch lines low. */
#ifndef BUS_ROUTINES_H
#define BUS_ROUTINES_H

void runCmdAddr4(void);
void runCmdAddr3Cmd(void);
void runCmdOnly(void);
void runCmdAddr1(void);
void gpifWriteByte(unsigned char value);

#endif
