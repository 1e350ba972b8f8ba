#include "platform/graphics/gl_driver.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace plat::gfx {

namespace {

bool IsGlDriverModule(const char* path) {
  for (const char* part : {"libGL", "libEGL", "libglapi", "_dri.so", "libgallium", "libLLVM"}) {
    if (std::strstr(path, part)) return true;
  }
  return false;
}

}  // namespace

void KeepGlDriverLoaded() {
  // A later context may load more of them (a second probe through EGL), so every call looks again.
  static std::mutex mutex;
  static std::set<std::string> kept;
  std::lock_guard lock(mutex);
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) -> int {
        // NOLOAD: only modules already there; NODELETE: never unmapped again. The handle is
        // kept on purpose, so the reference never drops.
        if (info->dlpi_name && *info->dlpi_name && IsGlDriverModule(info->dlpi_name) &&
            kept.insert(info->dlpi_name).second)
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

void KeepLibraryLoaded(const char* name) {
  // The handle is kept on purpose, as above.
  dlopen(name, RTLD_NOW | RTLD_NODELETE);
}

namespace {
GLuint CompileShader(GLenum type, const char* source, std::string& error) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("shader does not compile: ") + log;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}
}  // namespace

GLuint BuildShaderProgram(const char* vertexSource, const char* fragmentSource, std::string& error) {
  GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexSource, error);
  if (!vs) return 0;
  GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragmentSource, error);
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    glDeleteProgram(program);
    error = "shader program does not link";
    return 0;
  }
  return program;
}

}  // namespace plat::gfx
