#include "app/MFApp.h"

int main() {
    MFApp app;
    app.Run();
    return 0;
}
