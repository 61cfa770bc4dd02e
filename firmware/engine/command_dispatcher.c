/* enginePoll and its intake step: at most one packet per pass, executed completely and
 * released within the pass. Flash commands (kinds 0x50 and above) are held until the page
 * data still in EP2 have reached the bus, or until the pass's poll budget is spent. */
#include "../platform/fx2_registers.h"
#include "../platform/sync_delay.h"
#include "bus_routines.h"
#include "command_buffer.h"
#include "engine_poll.h"
#include "poll_budget.h"
#include "streamed_transfers.h"

#define EP2_EMPTY 0x01
#define EP4_EMPTY 0x04

static void drainWait(void)
{
    while (!(EP2468STAT & EP2_EMPTY)) {
        if (pollBudgetSpent()) {
            GPIFABORT = 0xFF;
            break;
        }
    }
    longWriteArmed = 0;
}

static void intakeStep(void)
{
    unsigned char kind;

    if (EP2468STAT & EP4_EMPTY)
        return;
    kind = commandByte(0);
    if (kind >= BRIDGE_CMD_ADDR4)
        drainWait();

    switch (kind) {
    case BRIDGE_CMD_ADDR4:
        OEA = 0xC0;
        runCmdAddr4();
        break;
    case BRIDGE_CMD_ADDR3_CMD:
        OEA = 0xC0;
        runCmdAddr3Cmd();
        break;
    case BRIDGE_CMD_ONLY:
        OEA = 0xC0;
        runCmdOnly();
        break;
    case BRIDGE_CMD_ADDR1:
        OEA = 0xC0;
        runCmdAddr1();
        break;
    case BRIDGE_READ:
        readCount = ((unsigned int)commandByte(1) << 8) | commandByte(2);
        break;
    default:
        break;
    }

    /* hand the buffer back to USB without passing its contents on (skip) */
    SYNC_DELAY();
    EP4BCH = 0x00;
    SYNC_DELAY();
    EP4BCL = 0x80;
}

void enginePoll(void)
{
    waitPolls = 0;
    intakeStep();
    armStep();
    readStep();
}
