// The program's version, in one place for the version resource.
#pragma once

#define CHRONALIGN_VERSION_NUMBERS 1, 0, 0, 58
#define CHRONALIGN_VERSION_TEXT "1.00.0058"
#define CHRONALIGN_PRODUCT_NAME "Velmora Chronalign"
#define CHRONALIGN_TITLE "Chronalign"
#define CHRONALIGN_COMPANY "Velmora"
