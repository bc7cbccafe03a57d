#pragma once

namespace mrc {

// The class-id factories of the phone services' classes (files, resources, lcdui, record stores
// and their exceptions); the application's wiring registers them.
void registerPlatformClasses();

}  // namespace mrc
