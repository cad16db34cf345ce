// Resource identifiers shared by the .rc file and the code.
#pragma once

#define IDI_TALVEX 1
#define IDB_BACKGROUND 100
#define IDI_COPY 110
#define IDI_TOOLS 111
#define IDI_CLEAR 112
#define IDI_HIDE 113
// Menu picture n (1 to 6) is IDB_MENU1 + n - 1, its mask IDB_MENU_MASK1 + n - 1 (1 to 5;
// the sixth uses magenta as its transparent colour).
#define IDB_MENU1 120
#define IDB_MENU2 121
#define IDB_MENU3 122
#define IDB_MENU4 123
#define IDB_MENU5 124
#define IDB_MENU6 125
#define IDB_MENU_MASK1 130
#define IDB_MENU_MASK2 131
#define IDB_MENU_MASK3 132
#define IDB_MENU_MASK4 133
#define IDB_MENU_MASK5 134
