; The bridge's read step: waits for the test's go byte in 0x2F, loads the transaction count
; from 0x0080 (high) and 0x0081 (low), triggers a FIFO read into EP8, polls DONE, commits
; the short rest with INPKTEND, and sets 0x30.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start
        .org    0x0080
counth: .db     0x02
countl: .db     0x10

        .org    0x0100
start:  mov     sp,#0x60
        mov     0x30,#0
wait:   mov     a,0x2F
        jz      wait
        mov     dptr,#0xE6CE    ; GPIFTCB3
        clr     a
        movx    @dptr,a
        inc     dptr            ; GPIFTCB2
        movx    @dptr,a
        mov     dptr,#counth
        movc    a,@a+dptr
        mov     dptr,#0xE6D0    ; GPIFTCB1
        movx    @dptr,a
        mov     dptr,#countl
        clr     a
        movc    a,@a+dptr
        mov     dptr,#0xE6D1    ; GPIFTCB0
        movx    @dptr,a
        mov     0xBB,#0x07      ; GPIFTRIG: read into EP8
        nop
        nop
        nop
poll:   mov     a,0xBB
        jnb     0xE7,poll       ; ACC.7: DONE
        nop
        nop
        nop
        mov     dptr,#0xE648    ; INPKTEND
        mov     a,#0x08
        movx    @dptr,a
        mov     0x30,#1
loop:   sjmp    loop
