// A tiny shared library the dynamic-library tests load.
extern "C" int TestModuleAnswer() { return 42; }
