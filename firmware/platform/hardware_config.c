/* configureHardware runs once, before interrupts are on. Each endpoint, FIFO and GPIF
 * register write is followed by the chip's settling time where it needs one. */
#include "fx2_registers.h"
#include "hardware_config.h"
#include "sync_delay.h"
#include "waveforms.h"
#include "../engine/streamed_transfers.h"

void initGpif(void)
{
    unsigned char i;

    IFCONFIG = 0xEA;  /* internal 48 MHz IFCLK, driven, async, GPIF master: opens the waveform memory */
    GPIFABORT = 0xFF;
    GPIFREADYCFG = gpifInitValues[0];
    GPIFCTLCFG = gpifInitValues[1];
    GPIFIDLECS = gpifInitValues[2];
    GPIFIDLECTL = gpifInitValues[3];
    GPIFWFSELECT = gpifInitValues[4];

    /* waveformTable into waveform memory with both auto-pointers incrementing */
    AUTOPTRSETUP = 0x07;
    AUTOPTRH1 = (unsigned char)((unsigned int)waveformTable >> 8);
    AUTOPTRL1 = (unsigned char)(unsigned int)waveformTable;
    AUTOPTRH2 = 0xE4;
    AUTOPTRL2 = 0x00;
    for (i = 0; i < WAVEFORM_TABLE_SIZE; i++)
        XAUTODAT2 = XAUTODAT1;

    /* GPIF address pins: port C and port E bit 7, always 0 */
    PORTCCFG = 0xFF;
    OEC = 0xFF;
    PORTECFG |= 0x80;
    OEE |= 0x80;
    SYNC_DELAY();
    GPIFADRH = 0x00;
    SYNC_DELAY();
    GPIFADRL = 0x00;
}

void configureHardware(void)
{
    CPUCS = 0x02;     /* 12 MHz, CLKOUT driven */
    IFCONFIG = 0xAA;
    initGpif();
    SYNC_DELAY();

    REVCTL = 0x00;
    SYNC_DELAY();
    EP2CFG = 0xA2;    /* OUT, bulk, 512, double */
    SYNC_DELAY();
    EP4CFG = 0xA0;    /* OUT, bulk */
    SYNC_DELAY();
    EP6CFG = 0xE2;    /* IN, bulk, 512, double */
    SYNC_DELAY();
    EP8CFG = 0xE0;    /* IN, bulk */
    SYNC_DELAY();

    FIFORESET = 0x80; /* NAK all while the FIFOs reset */
    SYNC_DELAY();
    FIFORESET = 0x02;
    SYNC_DELAY();
    FIFORESET = 0x04;
    SYNC_DELAY();
    FIFORESET = 0x06;
    SYNC_DELAY();
    FIFORESET = 0x08;
    SYNC_DELAY();
    FIFORESET = 0x00;
    SYNC_DELAY();

    EP2FIFOCFG = 0x00;
    SYNC_DELAY();
    EP2FIFOCFG = 0x10; /* AUTOOUT, 8-bit */
    SYNC_DELAY();
    EP6FIFOCFG = 0x04; /* ZEROLENIN, 8-bit */
    SYNC_DELAY();
    EP4FIFOCFG &= 0xFE; /* 8-bit; other bits as they were */
    SYNC_DELAY();
    EP8FIFOCFG = 0x08; /* AUTOIN, no zero-length packets, 8-bit */
    SYNC_DELAY();
    SYNC_DELAY();

    EP2BCL = 0x80;    /* skip: arm both EP2 buffers */
    SYNC_DELAY();
    EP2BCL = 0x80;
    SYNC_DELAY();
    /* and the two EP4 buffers, once each: a third skip would act on the buffer that the
     * host's first command packet may already have filled, and drop that packet */
    EP4BCL = 0x80;
    SYNC_DELAY();
    EP4BCL = 0x80;
    SYNC_DELAY();

    /* the long write: LONG_WRITE_COUNT, then trigger from EP2 */
    loadLongWriteCount();
    EP2GPIFTRIG = 0xFF;
    SYNC_DELAY();

    INTSETUP |= 0x03; /* INT4 from the FIFO/GPIF sources, autovectored */
    SYNC_DELAY();
    EXIF &= 0xBF;     /* no stale IE4 */
    SYNC_DELAY();
    GPIFIRQ = 0x02;   /* no stale waveform request */
    SYNC_DELAY();
    GPIFIE = 0x02;    /* waveform interrupt only, not DONE */
    SYNC_DELAY();
    EIE |= 0x04;      /* INT4 */
}
