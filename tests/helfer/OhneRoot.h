#pragma once
// Root may open and write everything, so a check of what an ordinary user may not do
// runs with root's effective user and group dropped to nobody for its duration.
#include <QtGlobal>

#include <unistd.h>

namespace trabolin::test {

// Runs `pruefung` as an ordinary user; false (and `pruefung` not run) when root
// cannot drop its rights.
template <typename Pruefung>
bool ohneRoot(Pruefung pruefung)
{
    const bool root = ::geteuid() == 0;
    const bool gewechselt = !root || (::setegid(65534) == 0 && ::seteuid(65534) == 0);
    if (gewechselt)
        pruefung();
    if (root && (::seteuid(0) != 0 || ::setegid(0) != 0))
        qFatal("cannot return to root");
    return gewechselt;
}

} // namespace trabolin::test
