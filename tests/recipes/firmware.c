/* SPDX-License-Identifier: MIT */
/* A header korvel made, compiled for a bare-metal target. */

#include "logo.h"

unsigned int checksum(void)
{
    unsigned int sum = 0, i;
    for (i = 0; i < sizeof bmppic; i++)
        sum += bmppic[i];
    return sum;
}
