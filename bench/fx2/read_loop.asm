; The read step for ever: 16,896 bytes (0x4200) per FIFO read into EP8, DONE polled, the
; rest committed with INPKTEND, then the next read. Starts once iram 0x2F is non-zero.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start

        .org    0x0100
start:  mov     sp,#0x60
wait:   mov     a,0x2F
        jz      wait
next:   mov     dptr,#0xE6CE    ; GPIFTCB3..0 = 0x00004200
        clr     a
        movx    @dptr,a
        inc     dptr
        movx    @dptr,a
        inc     dptr
        mov     a,#0x42
        movx    @dptr,a
        inc     dptr
        clr     a
        movx    @dptr,a
        mov     0xBB,#0x07      ; GPIFTRIG: read into EP8
        nop
        nop
        nop
poll:   mov     a,0xBB
        jnb     0xE7,poll       ; DONE
        mov     dptr,#0xE648    ; INPKTEND
        mov     a,#0x08
        movx    @dptr,a
        sjmp    next
