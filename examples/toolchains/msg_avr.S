; avr-as: profile "AVR — avr-as .byte".
    .section .progmem.data,"a",@progbits
    .global msg
msg:
    .include "msg.inc"
