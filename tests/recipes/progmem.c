/* SPDX-License-Identifier: MIT */
/* The AVR flash recipe from the README, with a reader so that the array is
   kept: korvel's header must land in .progmem.data. */

#include "progmem.inc"

volatile unsigned char sink;

int main(void)
{
    unsigned int i;
    for (i = 0; i < sizeof logo; i++)
        sink = pgm_read_byte(&logo[i]);
    return 0;
}
