// Stand-in for the companion library: the main application checks that it
// loads from beside its program.
extern "C" __declspec(dllexport) int PyrnVersion() { return 1; }
