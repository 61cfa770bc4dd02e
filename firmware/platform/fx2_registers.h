/* The FX2 registers by their documented names, declared once for every firmware module
 * from the shared register table (the simulator builds its register map from the same
 * table). SDCC emits each name as an absolute symbol, so inline assembler can use them
 * too, with the C prefix: _EXIF, _GPIFABORT. */
#ifndef FX2_REGISTERS_H
#define FX2_REGISTERS_H

#define FX2_SFR(name, address) __sfr __at(address) name;
#define FX2_XREG(name, address) __xdata __at(address) volatile unsigned char name;
#include "fx2_register_table.h"
#undef FX2_SFR
#undef FX2_XREG

/* EA, the global interrupt enable: bit 7 of IE. */
__sbit __at(0xAF) EA;

#endif
