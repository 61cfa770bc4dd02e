/* The two steps of a pass that start GPIF FIFO transfers: the long write from EP2 and
 * the counted read into EP8. */
#ifndef STREAMED_TRANSFERS_H
#define STREAMED_TRANSFERS_H

/* Bytes still to be read into EP8; 0: no read pending. Set by the intake step. */
extern unsigned int readCount;
/* 1 while a long write that the arm step triggered counts as running. */
extern unsigned char longWriteArmed;

/* Loads LONG_WRITE_COUNT (0xFFFFFFFF) into the transaction count, each byte followed by a
 * synchronization delay: the count of a long write, never used up. */
void loadLongWriteCount(void);

void armStep(void);
void readStep(void);

#endif
