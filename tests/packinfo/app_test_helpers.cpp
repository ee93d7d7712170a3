// The virtual display and PNG writer of the program's own tests, built into this test program too.
#include "../app/png_file.cpp"
#include "../app/xvfb_display.cpp"
