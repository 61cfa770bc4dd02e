; Sets CPUCS from the byte at 0x0080 (patched by the test), then counts for ever in
; 0x31:0x30.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start
        .org    0x0080
cpucs:  .db     0x00

        .org    0x0100
start:  mov     dptr,#cpucs
        clr     a
        movc    a,@a+dptr
        mov     dptr,#0xE600    ; CPUCS
        movx    @dptr,a
        mov     0x30,#0
        mov     0x31,#0
loop:   inc     0x30
        mov     a,0x30
        jnz     loop
        inc     0x31
        sjmp    loop
