/* The top of the firmware: configuration, interrupts on, then the polled loop. */
#ifndef MAIN_LOOP_H
#define MAIN_LOOP_H

void firmwareMain(void);
void acknowledgeSetup(void);

#endif
