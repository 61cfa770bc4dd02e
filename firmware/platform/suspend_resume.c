/* Suspend puts the chip into USB suspend and idles the CPU until the resume interrupt;
 * resume signalling is driven only when an enabled wake-up pin woke the chip. */
#include "delays.h"
#include "fx2_registers.h"
#include "suspend_resume.h"

#define WAKEUPCS_WU2 0x80
#define WAKEUPCS_WU 0x40
#define WAKEUPCS_WU2EN 0x02
#define WAKEUPCS_WUEN 0x01

unsigned char wokenByWakeUpPin(void)
{
    unsigned char status = WAKEUPCS;
    return (status & (WAKEUPCS_WU2 | WAKEUPCS_WU2EN)) == (WAKEUPCS_WU2 | WAKEUPCS_WU2EN) ||
           (status & (WAKEUPCS_WU | WAKEUPCS_WUEN)) == (WAKEUPCS_WU | WAKEUPCS_WUEN);
}

void suspendChip(void)
{
    /* Writing 1 to WU2 and WU clears both wake-up flags; enables and polarities are
     * written back unchanged. */
    unsigned char value = WAKEUPCS | (WAKEUPCS_WU2 | WAKEUPCS_WU);
    WAKEUPCS = value;
    SUSPEND = value;
    PCON |= 0x01;
    __asm__("nop\n\tnop\n\tnop\n\tnop\n\tnop");
}

void signalResume(void)
{
    if (wokenByWakeUpPin()) {
        USBCS |= 0x01;  /* SIGRSUME */
        delayMilliseconds(20);
        USBCS &= (unsigned char)~0x01;
    }
}
