/* Page data never pass through the 8051: the long write clocks EP2's bytes onto the bus
 * as they arrive (its count is never used up; an abort ends it), and a counted read moves
 * flash bytes straight into EP8, whose full packets auto-in sends by itself. */
#include "../platform/fx2_registers.h"
#include "../platform/sync_delay.h"
#include "poll_budget.h"
#include "streamed_transfers.h"

#define EP2_EMPTY 0x01
#define EP8_FULL 0x80
#define GPIF_DONE 0x80
#define TRIGGER_WRITE_EP2 0x00
#define TRIGGER_READ_EP8 0x07

unsigned int readCount = 0;
unsigned char longWriteArmed = 0;

/* Waits for the GPIF to go idle within the pass's budget; aborts it when the budget is
 * spent, so that the next trigger never lands on a running transaction. */
static void waitGpifIdle(void)
{
    while (!(GPIFTRIG & GPIF_DONE)) {
        if (pollBudgetSpent()) {
            GPIFABORT = 0xFF;
            break;
        }
    }
}

void loadLongWriteCount(void)
{
    GPIFTCB3 = 0xFF;
    SYNC_DELAY();
    GPIFTCB2 = 0xFF;
    SYNC_DELAY();
    GPIFTCB1 = 0xFF;
    SYNC_DELAY();
    GPIFTCB0 = 0xFF;
    SYNC_DELAY();
}

void armStep(void)
{
    if ((EP2468STAT & EP2_EMPTY) || longWriteArmed)
        return;
    waitGpifIdle();
    SYNC_DELAY();
    loadLongWriteCount();
    GPIFTRIG = TRIGGER_WRITE_EP2;
    SYNC_DELAY();
    longWriteArmed = 1;
}

void readStep(void)
{
    if (readCount == 0 || (EP2468STAT & EP8_FULL))
        return;
    waitGpifIdle();
    SYNC_DELAY();
    GPIFTCB3 = 0x00;
    SYNC_DELAY();
    GPIFTCB2 = 0x00;
    SYNC_DELAY();
    GPIFTCB1 = (unsigned char)(readCount >> 8);
    SYNC_DELAY();
    GPIFTCB0 = (unsigned char)readCount;
    SYNC_DELAY();
    GPIFTRIG = TRIGGER_READ_EP8;
    SYNC_DELAY();
    /* Completion has no bound: the read ends when the host has taken its packets. */
    while (!(GPIFTRIG & GPIF_DONE))
        ;
    SYNC_DELAY();
    INPKTEND = 0x08;  /* the short rest that auto-in does not send */
    readCount = 0;
    longWriteArmed = 0;
}
