/* The bytes whose addresses the chip dictates: the reset, resume, INT2 and INT4 vectors,
 * and the autovector table. With autovectoring on, the chip replaces the low byte of the
 * INT2 and INT4 jump targets (image bytes 0x0045 and 0x0055) with the source's offset, so
 * the table must start on a 256-byte boundary; each entry is a long jump and one filler
 * byte, one per offset from 0x00 to 0xB4. Nothing else is placed at a fixed address. */
#include "interrupt_handlers.h"
#include "start_up.h"

#define UNUSED_ENTRY "\tljmp\t_onUnusedInterrupt\n\t.db\t0x00\n"
#define UNUSED_4 UNUSED_ENTRY UNUSED_ENTRY UNUSED_ENTRY UNUSED_ENTRY

void fixedEntries(void) __naked
{
    __asm__(
        "\t.area\tCABS\t(ABS,CODE)\n"
        "\t.org\t0x0000\n"
        "\tljmp\t_startUp\n"
        "\t.org\t0x0033\n"
        "\tljmp\t_onResume\n"
        "\t.org\t0x0043\n"
        "\tljmp\t_autovectorTable\n"
        "\t.org\t0x0053\n"
        "\tljmp\t_autovectorTable\n"
        "\t.org\t0x0100\n"
        "_autovectorTable::\n"
        /* 0x00 SUDAV */   "\tljmp\t_onSetupData\n\t.db\t0x00\n"
        /* 0x04 SOF */     UNUSED_ENTRY
        /* 0x08 SUTOK */   "\tljmp\t_onSetupToken\n\t.db\t0x00\n"
        /* 0x0C SUSP */    "\tljmp\t_onSuspend\n\t.db\t0x00\n"
        /* 0x10 URES */    "\tljmp\t_onBusReset\n\t.db\t0x00\n"
        /* 0x14 HSGRANT */ "\tljmp\t_onHighSpeedGrant\n\t.db\t0x00\n"
        /* 0x18 to 0xB0: sources that stay disabled (38 + 1 entries) */
        UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4 UNUSED_4
        UNUSED_ENTRY UNUSED_ENTRY UNUSED_ENTRY
        /* 0xB4 GPIFWF */  "\tljmp\t_onGpifWaveform\n\t.db\t0x00\n"
        "\t.area\tCSEG\t(CODE)\n");
}
