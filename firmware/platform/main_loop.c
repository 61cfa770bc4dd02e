/* firmwareMain and the loop: each pass answers a pending setup packet, handles a pending
 * USB suspend, then lets the command engine take its turn. All chip configuration is done
 * before interrupts are enabled. */
#include "fx2_registers.h"
#include "hardware_config.h"
#include "interrupt_handlers.h"
#include "main_loop.h"
#include "suspend_resume.h"
#include "../engine/engine_poll.h"

/* Every setup packet that reaches the firmware gets a zero-length data stage; setting
 * HSNAK (EP0CS bit 7, written 1 to clear the NAK) lets the chip finish the status stage. */
void acknowledgeSetup(void)
{
    EP0BCH = 0x00;
    EP0BCL = 0x00;
    EP0CS |= 0x80;
}

void firmwareMain(void)
{
    suspendRequested = 0;
    setupPending = 0;
    configureHardware();
    OED = 0xFF;
    IOD = 0xFF;
    EIE |= 0x01;       /* INT2, the USB interrupt */
    EICON |= 0x20;     /* ERESI, the resume interrupt */
    INTSETUP |= 0x09;  /* AV2EN and AV4EN */
    USBIE |= 0x3D;     /* SUDAV, SUTOK, SUSP, URES, HSGRANT */
    EA = 1;
    CKCON &= 0xF8;     /* MOVX stretch 0 */
    suspendRequested = 0;

    for (;;) {
        if (setupPending) {
            acknowledgeSetup();
            setupPending = 0;
        }
        if (suspendRequested) {
            suspendRequested = 0;
            do {
                suspendChip();
            } while (wokenByWakeUpPin());
            signalResume();
        }
        enginePoll();
    }
}
