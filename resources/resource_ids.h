// Resource identifiers shared by the .rc file and the code.
#pragma once

#define IDI_TALVEX 1
#define IDB_BACKGROUND 100
#define IDI_COPY 110
#define IDI_TOOLS 111
#define IDI_CLEAR 112
#define IDI_HIDE 113
#define IDB_MENU1 120
#define IDB_MENU_MASK1 130
