/* gcc, g++, arm-none-eabi-gcc: the table in read-only data. */
#include <stdint.h>

const uint8_t msg[] = {
#include "msg.inc"
};
