#pragma once

// The standard streams as the program was given them. One that was closed is taken by /dev/null at once,
// before anything else is opened, so that no file the program opens later can take its number and receive
// what is meant for the terminal; writing to it then fails, as it would have, with EBADF.
namespace StandardStreams {

// Call first in main(); tells whether standard output was open.
bool reserve();

} // namespace StandardStreams
