; Suspends the chip as the bridge firmware does and counts what happens: 0x30 resume
; interrupts, 0x31 returns from idle, 0x32 exits from the suspend loop. Starts once the test
; puts a non-zero byte into 0x2F.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start
        .org    0x0033
        ljmp    onresume

        .org    0x0100
start:  mov     sp,#0x60
        mov     0x30,#0
        mov     0x31,#0
        mov     0x32,#0
wait:   mov     a,0x2F
        jz      wait
        orl     0xD8,#0x20      ; EICON: ERESI
        setb    0xAF            ; EA
again:  mov     dptr,#0xE682    ; WAKEUPCS: clear WU and WU2
        movx    a,@dptr
        orl     a,#0xC0
        movx    @dptr,a
        mov     dptr,#0xE681    ; SUSPEND
        movx    @dptr,a
        orl     0x87,#0x01      ; PCON: IDLE
        nop
        nop
        nop
        nop
        nop
        inc     0x31
        mov     dptr,#0xE682
        movx    a,@dptr
        mov     r7,a
        anl     a,#0x41         ; WU and WUEN
        cjne    a,#0x41,notwu
        sjmp    again
notwu:  mov     a,r7
        anl     a,#0x82         ; WU2 and WU2EN
        cjne    a,#0x82,left
        sjmp    again
left:   inc     0x32
loop:   sjmp    loop

onresume:
        anl     0xD8,#0xEF      ; EICON: clear RESI
        inc     0x30
        reti
