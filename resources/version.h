// The program's version, in one place for the version record.
#pragma once

#define TALVEX_VERSION_NUMBERS 1, 0, 0, 10
#define TALVEX_VERSION_TEXT "1.00.0010"
