/* SDCC for the 8051: the table in code memory. */
__code const unsigned char msg[] = {
#include "msg.inc"
};
