; Logs every autovectored INT2 and INT4 entry: the offset the chip put into the jump goes to
; iram 0x40 onward, the number of entries to 0x3F. Waits for the test to put the USBIE value
; into 0x2F, the GPIFIE value into 0x2E and a non-zero go byte into 0x2C.
        .area   CODE (ABS)
        .org    0x0000
        ljmp    start
        .org    0x0043
        ljmp    table
        .org    0x0053
        ljmp    table

        .org    0x0100
start:  mov     sp,#0x60
        mov     0x3F,#0
wait:   mov     a,0x2C
        jz      wait
        mov     dptr,#0xE668    ; INTSETUP: AV2EN, INT4SRC, AV4EN
        mov     a,#0x0B
        movx    @dptr,a
        mov     dptr,#0xE65C    ; USBIE
        mov     a,0x2F
        movx    @dptr,a
        mov     dptr,#0xE660    ; GPIFIE
        mov     a,0x2E
        movx    @dptr,a
        orl     0xE8,#0x05      ; EIE: EUSB, EX4
        setb    0xAF            ; EA
        mov     0x2D,#1         ; ready
loop:   sjmp    loop

        .org    0x0200
table:
        mov     a,#0x00
        ajmp    common
        mov     a,#0x04
        ajmp    common
        mov     a,#0x08
        ajmp    common
        mov     a,#0x0C
        ajmp    common
        mov     a,#0x10
        ajmp    common
        mov     a,#0x14
        ajmp    common
        mov     a,#0x18
        ajmp    common
        mov     a,#0x1C
        ajmp    common
        mov     a,#0x20
        ajmp    common
        mov     a,#0x24
        ajmp    common
        mov     a,#0x28
        ajmp    common
        mov     a,#0x2C
        ajmp    common
        mov     a,#0x30
        ajmp    common
        mov     a,#0x34
        ajmp    common
        mov     a,#0x38
        ajmp    common
        mov     a,#0x3C
        ajmp    common
        mov     a,#0x40
        ajmp    common
        mov     a,#0x44
        ajmp    common
        mov     a,#0x48
        ajmp    common
        mov     a,#0x4C
        ajmp    common
        mov     a,#0x50
        ajmp    common
        mov     a,#0x54
        ajmp    common
        mov     a,#0x58
        ajmp    common
        mov     a,#0x5C
        ajmp    common
        mov     a,#0x60
        ajmp    common
        mov     a,#0x64
        ajmp    common
        mov     a,#0x68
        ajmp    common
        mov     a,#0x6C
        ajmp    common
        mov     a,#0x70
        ajmp    common
        mov     a,#0x74
        ajmp    common
        mov     a,#0x78
        ajmp    common
        mov     a,#0x7C
        ajmp    common
        mov     a,#0x80
        ajmp    common
        mov     a,#0x84
        ajmp    common
        mov     a,#0x88
        ajmp    common
        mov     a,#0x8C
        ajmp    common
        mov     a,#0x90
        ajmp    common
        mov     a,#0x94
        ajmp    common
        mov     a,#0x98
        ajmp    common
        mov     a,#0x9C
        ajmp    common
        mov     a,#0xA0
        ajmp    common
        mov     a,#0xA4
        ajmp    common
        mov     a,#0xA8
        ajmp    common
        mov     a,#0xAC
        ajmp    common
        mov     a,#0xB0
        ajmp    common
        mov     a,#0xB4
        ajmp    common

common: push    psw
        mov     r0,0x3F
        inc     0x3F
        xch     a,r0
        add     a,#0x40
        xch     a,r0
        mov     @r0,a
        anl     0x91,#0xAF      ; EXIF: USBINT, IE4
        jb      0xE7,int4       ; ACC.7: a FIFO/GPIF source
        mov     0xA1,a          ; INT2CLR
        pop     psw
        reti
int4:   mov     0xA2,a          ; INT4CLR
        pop     psw
        reti
