// SPDX-License-Identifier: MIT
// korvel-preview's own main, as previewmain() of the page's module (programs.cpp).
#define main previewmain
#include "previewmain.cpp"
