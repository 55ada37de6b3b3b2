namespace veilora { int placeholder_win32() { return 0; } }
