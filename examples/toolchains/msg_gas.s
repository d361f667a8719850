# GNU as, any target: profile "GNU as — .byte".
    .section .rodata
    .global msg
msg:
    .include "msg.inc"
