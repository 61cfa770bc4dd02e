/* USB suspend and resume. */
#ifndef SUSPEND_RESUME_H
#define SUSPEND_RESUME_H

void suspendChip(void);
void signalResume(void);
/* 1 when WAKEUPCS shows an event of an enabled wake-up pin (WU2 with WU2EN, or WU
 * with WUEN). */
unsigned char wokenByWakeUpPin(void);

#endif
