#include "platform/services.h"

namespace plat {

namespace {
Services& Instance() {
  static Services services;
  return services;
}
}  // namespace

Services& GetServices() { return Instance(); }
void SetServices(const Services& services) { Instance() = services; }

}  // namespace plat
