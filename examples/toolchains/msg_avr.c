/* avr-gcc and Arduino: the table stays in program memory. */
#include <avr/pgmspace.h>
#include <stdint.h>

const uint8_t msg[] PROGMEM = {
#include "msg.inc"
};
