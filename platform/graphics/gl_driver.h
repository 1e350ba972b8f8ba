#pragma once
// Internal to platform/graphics.
#include <epoxy/gl.h>

#include <string>

namespace plat::gfx {

// Keeps the OpenGL driver's modules (the GL dispatch, the DRI driver and the shader compiler it
// uses) mapped until the process ends, once a context has loaded them. SDL would otherwise
// unload them when video shuts down, and the memory those drivers keep for the whole process
// would then look lost to leak checkers, since the data that still points at it is gone.
// Cheap and idempotent; call after creating a context, or trying to.
void KeepGlDriverLoaded();
// The same for one library by name, loading it if it is not there yet.
void KeepLibraryLoaded(const char* name);

// Compiles and links a vertex and a fragment shader into a program on the current context.
// Returns 0 and says why in `error` when either does not compile or the program does not link.
GLuint BuildShaderProgram(const char* vertexSource, const char* fragmentSource, std::string& error);

}  // namespace plat::gfx
