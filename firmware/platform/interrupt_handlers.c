/* Interrupt handlers. They are written in assembler because each may save only the
 * accumulator and the data pointer: none of them touches anything else (the flag
 * instructions and the EXIF update leave PSW alone, and P follows the restored ACC). */
#include "fx2_registers.h"
#include "interrupt_handlers.h"

__bit setupPending;
__bit suspendRequested;

/* The USB handlers: the work, then INT2's flag (USBINT, EXIF bit 4), then the source's
 * own request bit in USBIRQ (written as a byte with only that bit set). */
#define USB_HANDLER(work, irqBit)      \
    __asm__(                           \
        "\tpush\tacc\n"                \
        "\tpush\tdpl\n"                \
        "\tpush\tdph\n"                \
        work                           \
        "\tanl\t_EXIF,#0xEF\n"         \
        "\tmov\tdptr,#_USBIRQ\n"       \
        "\tmov\ta,#" irqBit "\n"       \
        "\tmovx\t@dptr,a\n"            \
        "\tpop\tdph\n"                 \
        "\tpop\tdpl\n"                 \
        "\tpop\tacc\n"                 \
        "\treti\n")

void onSetupData(void) __naked
{
    USB_HANDLER("\tsetb\t_setupPending\n", "0x01");
}

void onSetupToken(void) __naked
{
    USB_HANDLER("", "0x04");
}

void onSuspend(void) __naked
{
    USB_HANDLER("\tsetb\t_suspendRequested\n", "0x08");
}

void onBusReset(void) __naked
{
    USB_HANDLER("", "0x10");
}

void onHighSpeedGrant(void) __naked
{
    USB_HANDLER("", "0x20");
}

/* No waveform state of ours requests this interrupt; if one ever did, the GPIF is
 * stopped rather than left in an unknown transaction. */
void onGpifWaveform(void) __naked
{
    __asm__(
        "\tpush\tacc\n"
        "\tpush\tdpl\n"
        "\tpush\tdph\n"
        "\tmov\tdptr,#_GPIFABORT\n"
        "\tmov\ta,#0xFF\n"
        "\tmovx\t@dptr,a\n"
        "\tnop\n\tnop\n\tnop\n"
        "\tanl\t_EXIF,#0xBF\n"
        "\tmov\t_INT4CLR,#0xFF\n"
        "\tnop\n\tnop\n\tnop\n"
        "\tpop\tdph\n"
        "\tpop\tdpl\n"
        "\tpop\tacc\n"
        "\treti\n");
}

/* Resume: clear RESI; the CPU goes on after the idle instruction in suspendChip. */
void onResume(void) __naked
{
    __asm__(
        "\tanl\t_EICON,#0xEF\n"
        "\treti\n");
}

/* Every autovector entry whose source stays disabled. */
void onUnusedInterrupt(void) __naked
{
    __asm__("\treti\n");
}
