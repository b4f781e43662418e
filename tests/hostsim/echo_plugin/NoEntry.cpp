// A plug-in library without the entry point, for the host's load checks.
extern "C" __attribute__((visibility("default"))) int NotTheEntryPoint() {
    return 1;
}
