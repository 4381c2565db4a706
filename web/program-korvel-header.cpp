// SPDX-License-Identifier: MIT
// korvel-header's own main, as headermain() of the page's module (programs.cpp).
#define main headermain
#include "headermain.cpp"
