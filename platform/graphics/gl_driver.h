#pragma once
// Internal to platform/graphics.
namespace plat::gfx {

// Keeps the OpenGL driver's modules (the GL dispatch, the DRI driver and the shader compiler it
// uses) mapped until the process ends, once a context has loaded them. SDL would otherwise
// unload them when video shuts down, and the memory those drivers keep for the whole process
// would then look lost to leak checkers, since the data that still points at it is gone.
// Cheap and idempotent; call after creating a context.
void KeepGlDriverLoaded();

}  // namespace plat::gfx
