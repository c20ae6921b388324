#pragma once
// One track contact's state as a station's report or answer gives it, numbered from 1
// as the station's own user interface counts its contacts.
namespace trabolin {

struct Kontaktmeldung {
    int nummer = 0;
    bool belegt = false;
    bool operator==(const Kontaktmeldung &) const = default;
};

} // namespace trabolin
