// A program that starts one child through the roster, with its standard
// error on a pipe of the kit's, and ends at once while the child runs on:
// the test sees whether the child can still write to its standard error once
// the program that read it is gone. The child is /bin/sh with the script
// given as the only argument.

#include <kit/app/BRoster.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    entry_ref shell;
    if (get_ref_for_path("/bin/sh", &shell) != B_OK)
        return 3;
    const char* arguments[] = {"-c", argv[1]};
    BMessenger nobody;
    return be_roster->Launch(&shell, 2, arguments, nullptr, nullptr, &nobody) == B_OK ? 0 : 4;
}
