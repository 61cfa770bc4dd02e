/* The base loop lasts 603 passes of 10 instruction cycles (INC DPTR 3, MOV A,DPL 2,
 * ORL A,DPH 2, JNZ 3), about 1 ms at 24 MHz; delayMilliseconds scales the count to the
 * CPU clock. */
#include "delays.h"
#include "fx2_registers.h"

void delayOneMillisecond(void) __naked
{
    __asm__(
        "\tmov\t_DPS,#0x00\n"
        "\tmov\tdptr,#0xFDA5\n"
        "00001$:\n"
        "\tinc\tdptr\n"
        "\tmov\ta,dpl\n"
        "\torl\ta,dph\n"
        "\tjnz\t00001$\n"
        "\tret\n");
}

void delayMilliseconds(unsigned int count)
{
    switch ((CPUCS >> 3) & 0x03) {
    case 0:  /* 12 MHz: half the count, rounded up (no overflow at 0xFFFF) */
        count = (count >> 1) + (count & 1);
        break;
    case 2:  /* 48 MHz */
        count <<= 1;
        break;
    default: /* 24 MHz, and the reserved setting */
        break;
    }
    while (count != 0) {
        delayOneMillisecond();
        count--;
    }
}
