// SPDX-License-Identifier: MIT
// korvel's own main, as korvelmain() of the page's module (programs.cpp).
#define main korvelmain
#include "main.cpp"
