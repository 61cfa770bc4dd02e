/* The GPIF waveform image and the GPIF register values, held in external RAM and set
 * from the image's initial values at start-up. */
#ifndef WAVEFORMS_H
#define WAVEFORMS_H

#define WAVEFORM_TABLE_SIZE 128

/* Four waveforms of 32 bytes: LENGTH/BRANCH, OPCODE, OUTPUT, LOGIC FUNCTION, each for
 * states S0 to S6 and idle. Waveform 0 FIFO read, 1 FIFO write, 2 single read,
 * 3 single write. */
extern __xdata unsigned char waveformTable[WAVEFORM_TABLE_SIZE];

/* In load order: GPIFREADYCFG, GPIFCTLCFG, GPIFIDLECS, GPIFIDLECTL, GPIFWFSELECT. */
#define GPIF_INIT_VALUE_COUNT 5
extern __xdata unsigned char gpifInitValues[GPIF_INIT_VALUE_COUNT];

#endif
