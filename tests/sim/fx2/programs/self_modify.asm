; Writes a routine into RAM with MOVX and jumps to it: code and data are one memory.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start

        .org    0x0100
start:  mov     dptr,#0x0300
        mov     a,#0x75         ; mov 0x30,#0xAA
        movx    @dptr,a
        inc     dptr
        mov     a,#0x30
        movx    @dptr,a
        inc     dptr
        mov     a,#0xAA
        movx    @dptr,a
        inc     dptr
        mov     a,#0x80         ; sjmp .
        movx    @dptr,a
        inc     dptr
        mov     a,#0xFE
        movx    @dptr,a
        ljmp    0x0300
