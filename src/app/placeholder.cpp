namespace veilora { int placeholder() { return 0; } }
