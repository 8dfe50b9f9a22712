#pragma once

namespace detonix {

// Once the first picture is up, most of what the start touched is never read again: the option
// parsing, the maze's making, the pictures' painting, a library's start-up code. The kernel keeps
// those pages mapped (and maps 64 KB around each page read), so a saver that runs for hours would
// carry them all along. This unmaps the read-only pages of the program and its libraries, which
// come back from the page cache if they are read again, and hands free heap pages back. Elsewhere
// than on Linux it does nothing.
void ReleaseStartupMemory();

}  // namespace detonix
