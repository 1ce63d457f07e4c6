// Linked into every program of the sanitizer build only.
//
// The leak check runs as the program ends, after libraries opened at run
// time (the OpenGL driver, libmpv's outputs, Qt's plug-ins) were closed
// again. Unmapped, such a library takes the pointers in its globals with it,
// so the memory they held is reported as lost, and the stack of the
// allocation names no library that a suppression could match. Libraries
// therefore stay loaded until the end.

extern "C" int dlclose(void *)
{
    return 0;
}
