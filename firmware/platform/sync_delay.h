/* The settling time that the chip needs between writes to its endpoint, FIFO and GPIF
 * control registers: three no-operation instructions. */
#ifndef SYNC_DELAY_H
#define SYNC_DELAY_H

#define SYNC_DELAY() __asm__("nop\n\tnop\n\tnop")

#endif
