/* SPDX-License-Identifier: MIT */
/* Two korvel arrays renamed in one translation unit, as the README shows;
   valid C and C++. Prints every byte the compiler stored, one per line. */

#include <stdio.h>

#include "several.inc"

static void dump(const unsigned char *bytes, unsigned long count)
{
    unsigned long i;
    for (i = 0; i < count; i++)
        printf("0x%.2X\n", bytes[i]);
}

int main(void)
{
    dump(logo, sizeof logo);
    dump(icon, sizeof icon);
    return 0;
}
