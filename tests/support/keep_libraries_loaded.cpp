// Linked into every test program. Mesa's drivers and SDL's dynamically loaded X libraries keep heap
// blocks behind their own globals; once such a library is unloaded, its blocks look leaked and the
// leak checker can no longer name the library to suppress the report. Tests therefore never unload
// a library: this definition takes the place of the C library's for the whole process.
extern "C" int dlclose(void*) { return 0; }
