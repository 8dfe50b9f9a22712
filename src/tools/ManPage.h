#pragma once

#include <string>
#include <string_view>

namespace detonix::commandline {

// detonix.6 in roff, made from the same tables as --help, so the page cannot fall behind the
// options. VERSION goes into the page's header.
std::string ManPage(std::string_view version);

}  // namespace detonix::commandline
