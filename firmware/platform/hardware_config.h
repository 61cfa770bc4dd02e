/* The chip's one-time configuration: clocks, GPIF master mode and waveforms, endpoints,
 * the first long write, and the GPIF waveform interrupt. */
#ifndef HARDWARE_CONFIG_H
#define HARDWARE_CONFIG_H

void configureHardware(void);
void initGpif(void);

#endif
