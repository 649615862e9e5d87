// Resource identifiers shared by the resource script and the window code.
#pragma once

#define IDI_CHRONALIGN 1  // the window icon, also the notification-area icon
#define IDB_PICTURE 2     // the picture in the top-right corner of the window
