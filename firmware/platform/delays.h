/* Busy-wait delays, calibrated in instruction cycles. */
#ifndef DELAYS_H
#define DELAYS_H

/* count milliseconds at the CPU clock set in CPUCS at the moment of the call. */
void delayMilliseconds(unsigned int count);
/* The base loop: 1.005 ms at 24 MHz. */
void delayOneMillisecond(void) __naked;

#endif
