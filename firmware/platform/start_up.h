/* Start-up: from the reset vector to firmwareMain. */
#ifndef START_UP_H
#define START_UP_H

/* The start-up code (an assembler label placed first in the start-up areas):
 * clears internal RAM 0x00-0x7F, sets the stack above the variables, gives the
 * initialised variables their values and jumps to firmwareMain. */
void startUp(void);

#endif
