/* The interrupt handlers, reached through the fixed vectors and the autovector table.
 * They only set a flag for the main loop, acknowledge the chip, or abort the GPIF. */
#ifndef INTERRUPT_HANDLERS_H
#define INTERRUPT_HANDLERS_H

/* Set by their handlers, tested and cleared by the main loop. */
extern __bit setupPending;
extern __bit suspendRequested;

void onSetupData(void) __naked;
void onSetupToken(void) __naked;
void onSuspend(void) __naked;
void onBusReset(void) __naked;
void onHighSpeedGrant(void) __naked;
void onGpifWaveform(void) __naked;
void onResume(void) __naked;
void onUnusedInterrupt(void) __naked;

#endif
