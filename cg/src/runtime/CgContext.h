// Whether a GL context is current on this thread. GL has no call that says so: each platform
// asks its own window system.
#pragma once

namespace cgrt {

bool glContextCurrent();

}  // namespace cgrt
