// A loadable library that is not an effect: it exports no EntryPointFunc.
#if defined(_WIN32)
extern "C" __declspec(dllexport) int NotAnEffect() {
    return 0;
}
#else
extern "C" __attribute__((visibility("default"))) int NotAnEffect() {
    return 0;
}
#endif
