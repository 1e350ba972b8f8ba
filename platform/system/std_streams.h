#pragma once
// The process's standard descriptors.

namespace plat {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. Otherwise the next file or
// connection the process opens takes that number, and what is written to standard error (every
// trace line) goes into it: an X connection on descriptor 2 sees trace lines as protocol and
// hangs. Call it first in main, before anything opens a file.
void OpenClosedStandardStreams();

}  // namespace plat
