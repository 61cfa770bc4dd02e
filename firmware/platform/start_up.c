/* The start-up code, in the tool chain's start-up areas, which the linker places in this
 * order: GSINIT0 (below: RAM clear, stack, copy of the external-RAM initial values),
 * GSINIT (the compiler's stores of the internal-RAM initial values, readCount and
 * longWriteArmed), GSFINAL (below: the jump to firmwareMain).
 *
 * The initial values of external-RAM variables (waveformTable, gpifInitValues) travel in
 * the image as the XINIT area, the initTable; they are copied to their places (XISEG) with
 * MOVX @R0 and MPAGE, the FX2's page register for it (P2 is port C on this chip). */
#include "fx2_registers.h"
#include "main_loop.h"
#include "start_up.h"

void startUpAreas(void) __naked
{
    __asm__(
        "\t.area\tGSINIT0\t(CODE)\n"
        "_startUp::\n"
        /* every byte of internal RAM 0x00-0x7F to zero, 0x7F down to 0x00 */
        "\tclr\ta\n"
        "\tmov\tr0,#0x7F\n"
        "00001$:\n"
        "\tmov\t@r0,a\n"
        "\tdjnz\tr0,00001$\n"
        "\tmov\t@r0,a\n"
        /* the first push lands on the byte above the highest variable */
        "\tmov\tsp,#(__start__stack - 1)\n"
        /* initTable: XINIT to XISEG */
        "\tmov\tr1,#l_XINIT\n"
        "\tmov\ta,r1\n"
        "\torl\ta,#(l_XINIT >> 8)\n"
        "\tjz\t00004$\n"
        "\tmov\tr2,#((l_XINIT + 255) >> 8)\n"
        "\tmov\tdptr,#s_XINIT\n"
        "\tmov\tr0,#s_XISEG\n"
        "\tmov\t_MPAGE,#(s_XISEG >> 8)\n"
        "00002$:\n"
        "\tclr\ta\n"
        "\tmovc\ta,@a+dptr\n"
        "\tmovx\t@r0,a\n"
        "\tinc\tdptr\n"
        "\tinc\tr0\n"
        "\tcjne\tr0,#0x00,00003$\n"
        "\tinc\t_MPAGE\n"
        "00003$:\n"
        "\tdjnz\tr1,00002$\n"
        "\tdjnz\tr2,00002$\n"
        /* leave the registers used here as the RAM clear left them, MPAGE at its reset value */
        "\tmov\tr0,#0x00\n"
        "\tmov\t_MPAGE,#0x00\n"
        "00004$:\n"
        "\t.area\tGSFINAL\t(CODE)\n"
        "\tljmp\t_firmwareMain\n"
        /* the stack area, which the linker places above every variable */
        "\t.area\tSSEG\n"
        "__start__stack:\n"
        "\t.ds\t1\n"
        "\t.area\tCSEG\t(CODE)\n");
}
