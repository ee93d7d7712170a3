// A program that never ends, whatever its arguments: the renewal's test of a release whose
// --simular hangs.
#include <unistd.h>

int main() {
    for (;;) pause();
}
