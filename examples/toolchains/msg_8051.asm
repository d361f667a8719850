; sdas8051 (SDCC): profile "SDCC — 8051 .db".
    .module msg
    .area CSEG (CODE)
_msg::
    .include "msg.inc"
