/* SPDX-License-Identifier: MIT */
/* Two pictures named after their stems and a three-frame animation with
   its delays, as korvel_add_bitmaps() makes them; prints every byte the
   compiler stored, one per line, then the delays. On AVR they are in
   flash. */

#include <stdio.h>

#include "korvel/_2nd_icon.h"
#include "korvel/spinner.h"
#include "korvel/wifi_strong.h"

#ifdef __AVR__
#define BYTE(bytes, i) pgm_read_byte(&(bytes)[i])
#define FRAME(i) ((const unsigned char *)pgm_read_ptr(&spinner[i]))
#define DELAY(i) pgm_read_word(&spinner_delays[i])
#else
#define BYTE(bytes, i) ((bytes)[i])
#define FRAME(i) (spinner[i])
#define DELAY(i) (spinner_delays[i])
#endif

static void dump(const unsigned char *bytes)
{
    unsigned long count = 2 + BYTE(bytes, 1) * ((BYTE(bytes, 0) + 7) / 8), i;
    for (i = 0; i < count; i++)
        printf("0x%.2X\n", (unsigned)BYTE(bytes, i));
}

int main(void)
{
    unsigned i;
    dump(wifi_strong);
    dump(_2nd_icon);
    for (i = 0; i < sizeof spinner / sizeof spinner[0]; i++)
        dump(FRAME(i));
    printf("delays");
    for (i = 0; i < sizeof spinner_delays / sizeof spinner_delays[0]; i++)
        printf(" %u", (unsigned)DELAY(i));
    printf("\n");
    return 0;
}
