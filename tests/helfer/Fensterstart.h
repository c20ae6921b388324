#pragma once
// Changes how the next windows start, on top of the quiet start of every test
// program (helfer/Ruhe.cpp), for as long as the object lives.
#include "window/frmTrabolin.h"

namespace trabolin::test {

struct Fensterstart {
    std::function<void(frmTrabolin &)> vorher = frmTrabolin::vorDemStart();
    explicit Fensterstart(std::function<void(frmTrabolin &)> zusatz)
    {
        frmTrabolin::vorDemStart() = [alt = vorher, zusatz](frmTrabolin &f) {
            if (alt)
                alt(f);
            zusatz(f);
        };
    }
    ~Fensterstart() { frmTrabolin::vorDemStart() = vorher; }
};

} // namespace trabolin::test
